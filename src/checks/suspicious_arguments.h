#pragma once

#include <optional>
#include <string_view>

namespace varnlink::checks {

// Looks for what attackers pass to a script host, letters in any case:
//
//   a URL (http://, https://, ftp://) or a UNC path
//   -e, -ec, -en, -enc, -EncodedCommand and 16 or more base64 characters
//   FromBase64String, iex, Invoke-Expression, DownloadString, DownloadFile,
//     Invoke-WebRequest, iwr, Start-BitsTransfer, curl, wget, certutil,
//     bitsadmin (as words)
//   javascript:, vbscript:, %temp%, %appdata%, %public%, and the folders
//     \AppData\, \Temp\ and \Users\Public\ in a path
//   -w hidden, -w 1, -WindowStyle hidden; -nop; -ExecutionPolicy Bypass;
//     start /b
//   a script file as a word (.hta .js .jse .vbs .vbe .ps1 .wsf; not .bat,
//     which ordinary developer prompts run)
//   a run of 60 or more base64 characters
//
// after taking out res://... tokens (resources of a DLL, which help viewers
// open). PowerShell's switches are taken as PowerShell takes them: any start
// of their name ("-enc", "-encod", "-win"), after a blank or at the start.
//
// Returns the first such piece of `arguments`; nullopt when there is none.
// One pass over the text and tables of fixed size: linear in its length
// whatever it holds.
[[nodiscard]] std::optional<std::string_view> SuspiciousArgument(std::string_view arguments);

}  // namespace varnlink::checks
