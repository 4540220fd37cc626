#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnlink::checks {

// A shortcut record's path as whole components, for telling whether two
// records can name the same file. Environment variables resolve through a
// fixed table of the folders Windows gives them on any machine, never
// through this machine or the disk (C: stands for whichever drive Windows
// lives on):
//
//   %SystemRoot%, %windir%          C:\Windows or C:\WINNT
//   %ProgramFiles%                  C:\Program Files (C:\Program Files (x86)
//                                   in a 32-bit program)
//   %ProgramFiles(x86)%             C:\Program Files (x86)
//   %ProgramData%, %PUBLIC%         C:\ProgramData, C:\Users\Public
//   %USERPROFILE%, %APPDATA%,       the profile's folders under any
//   %LOCALAPPDATA%, %TEMP%, %TMP%,  C:\Users\<name> (Vista on) or
//   %HOMEDRIVE% with %HOMEPATH%     C:\Documents and Settings\<name> (XP)
//
// Only variables at the start are resolved; a path with any other variable
// is not whole. It does not resolve "." or "..": a path that climbs names
// another file than its text says, and is judged by its text.
class WholePath {
 public:
  // The path's forms, or nullopt when it does not resolve to a path from a
  // drive ("C:\...") or a share ("\\server\share..."): a relative path, one
  // with a variable outside the table, a "%" after its leading variables, or
  // a "*" or "?".
  [[nodiscard]] static std::optional<WholePath> Of(std::string_view path);

  // Gives the last `names.size()` components another name each (the 8.3
  // short names an ID list holds beside the long ones; "" for none).
  void SetAliases(const std::vector<std::string_view>& names);

  [[nodiscard]] bool on_share() const { return on_share_; }

  // True when some choice of the variables' folders makes the two paths
  // name the same file: as many components, each pair the same name
  // ignoring case or one the 8.3 short name of the other.
  [[nodiscard]] bool MayBeSameAs(const WholePath& other) const;

 private:
  struct Component {
    std::string name;
    std::string alias;
    bool any = false;  // any user's name, or the drive Windows lives on
  };
  using Form = std::vector<Component>;

  [[nodiscard]] static bool SameComponent(const Component& a, const Component& b);

  std::vector<Form> forms_;
  bool on_share_ = false;
};

}  // namespace varnlink::checks
