; Varnlink's Windows installer, made on Linux with NSIS 3 by the build's
; windows-packages target, which defines VERSION, VENDOR, COPYRIGHT,
; HOMEPAGE, APP_ID, ICON, LICENSE, FILES (the staged install's file lists)
; and OUTFILE.
;
; Installs for all users into Program Files by default (for the current user
; alone when the user may not install for everyone), or for the current user
; into their own programs folder with /CurrentUser; /S installs silently. It
; adds a Start-menu shortcut and an entry in Apps & features; the uninstaller
; removes exactly what was installed and leaves anything else in the folder.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestLongPathAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_ID}"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\Varnlink.lnk"

Name "Varnlink"
OutFile "${OUTFILE}"
BrandingText "Varnlink ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Varnlink"
; An earlier installation's folder and mode are found through its
; Apps & features entry.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Varnlink"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${VENDOR}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Varnlink Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}. MIT License."

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Varnlink"
  SetOutPath "$INSTDIR"
  !include "${FILES}.install.nsh"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcut starts Varnlink in its own folder, as $OUTDIR is.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\varnlink.exe" "" "$INSTDIR\varnlink.exe" 0 \
    SW_SHOWNORMAL "" "Audit Windows shortcut (.lnk) files"

  ; The uninstaller of a per-user installation must know it is one, as the
  ; same user may also have installed Varnlink for everyone.
  StrCpy $0 ""
  ${If} $MultiUser.InstallMode == "CurrentUser"
    StrCpy $0 " /CurrentUser"
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Varnlink"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\varnlink.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${VENDOR}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"$0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}"$0 /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "${SHORTCUT}"
  !include "${FILES}.uninstall.nsh"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"  ; only when empty: files the user added stay
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
