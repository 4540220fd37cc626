#pragma once

#include <optional>
#include <string>
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
//   --headless (conhost.exe running a console program with no window)
//
// after taking out res://... tokens (resources of a DLL, which help viewers
// open). PowerShell's switches are taken as PowerShell takes them: any start
// of their name that is not a start of another's ("-enc", "-encod", "-win",
// "-noprofil"; "-e" and "-ec" for -EncodedCommand, "-ep" for
// -ExecutionPolicy, as PowerShell documents them), in any case, after "-",
// "/", an en dash, an em dash or a horizontal bar, at the start of a token;
// their value may stand in quotes.
//
// Returns the first such piece of `arguments`; nullopt when there is none.
// One pass over the text and tables of fixed size: linear in its length
// whatever it holds.
[[nodiscard]] std::optional<std::string_view> SuspiciousArgument(std::string_view arguments);

// What a wrapper runs: the program and arguments of the command it wraps,
// and the piece of its own arguments that makes it a wrapper.
struct WrappedCommand {
  std::string_view marker;  // "--headless", forfiles' "/c"; "" for a plain conhost.exe
  std::string program;      // "" where the command is missing
  std::string arguments;
};

// The command `host` (a program name without ".exe", lower case) wraps:
//
//   conhost [--headless] [--width N ...] <command>   runs <command>
//   forfiles ... /c "<command>"                      runs <command> for each
//                                                    file; 0xHH in it stands
//                                                    for the byte HH
//
// nullopt for other hosts, and where the arguments name no command and no
// marker. Linear in the length of `arguments`.
[[nodiscard]] std::optional<WrappedCommand> WrappedCommandOf(std::string_view host,
                                                             std::string_view arguments);

}  // namespace varnlink::checks
