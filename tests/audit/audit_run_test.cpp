// The audit run as its callers see it: what is audited in which order, what
// is passed over and told, and what ends a run.

#include "audit/audit_run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "tests/support/audit_fixture.h"

namespace varnlink::audit {
namespace {

using Paths = std::vector<std::string>;
using test_support::LocalLink;

class AuditRunTest : public test_support::AuditTest {
 protected:
  // A shortcut the walk of C:\R\ finds.
  void AddWalked(const std::string& folder, const std::string& name) {
    folders.AddFile(folder, name);
    AddLink(folder + name, LocalLink("C:\\" + name + ".EXE"));
  }
  AuditResult Walk(std::optional<std::size_t> limit = kMaxShortcutsPerRun,
                   bool keep_going = false) {
    sink = test_support::CollectingSink{};
    sink.messages = &messages;
    AuditResult result = AuditRun(files, folders)
                             .Run({"C:\\R", {}, options, limit, keep_going, !keep_going}, sink);
    for (const std::string& message : result.closing_messages) messages.Show(message);
    return result;
  }
  // A locked folder, a shortcut the walk finds but which is gone when it is
  // read, and a 10-byte file, among good shortcuts.
  void AddTroubles() {
    folders.AddFolder("C:\\R\\", "Locked");
    folders.Fail("C:\\R\\Locked\\", EACCES);
    AddWalked("C:\\R\\", "a.lnk");
    folders.AddFile("C:\\R\\", "gone.lnk");
    folders.AddFile("C:\\R\\", "short.lnk");
    AddFile("C:\\R\\short.lnk", test_support::Bytes(10, 'x'));
    AddWalked("C:\\R\\", "z.lnk");
  }
};

TEST_F(AuditRunTest, TellsWhatWasPassedOverBeforeTheFailureThatEndsTheRun) {
  AddTroubles();  // gone.lnk is passed over; short.lnk ends the run
  try {
    Walk();
    FAIL() << "the 10-byte file should end the run";
  } catch (const std::exception& e) {
    messages.Show(e.what());  // as a front end shows it, after the run's own messages
  }
  ASSERT_EQ(messages.shown.size(), 3u);
  EXPECT_EQ(messages.shown[0].rfind("1 folder could not be searched and was passed over: C:\\R\\Locked\\", 0), 0u);
  EXPECT_EQ(messages.shown[1],
            "1 shortcut vanished before it could be audited and was passed over: C:\\R\\gone.lnk");
  EXPECT_EQ(messages.shown[2].rfind("C:\\R\\short.lnk: not a shortcut", 0), 0u) << messages.shown[2];
  EXPECT_EQ(sink.entries.size(), 1u) << "a.lnk stays reported";
}

// A run that keeps going hands each shortcut it cannot audit to the sink in
// its place, vanished ones too, and tells only of the folder it passed over;
// duplicates are marked without a message.
// A shortcut gone between the walk and its reading leaves the run partial,
// which the command line's exit status tells.
TEST_F(AuditRunTest, AShortcutGoneBeforeItIsReadIsCountedAsPassedOver) {
  AddWalked("C:\\R\\", "a.lnk");
  folders.AddFile("C:\\R\\", "gone.lnk");
  const AuditResult result = Walk();
  EXPECT_EQ(result.count, 1u);
  EXPECT_EQ(result.vanished, 1u);
  EXPECT_EQ(messages.shown,
            Paths{"1 shortcut vanished before it could be audited and was passed over: C:\\R\\gone.lnk"});
}

TEST_F(AuditRunTest, ARunThatKeepsGoingHandsOnWhatItCannotAuditInItsPlace) {
  AddTroubles();
  AddLink("C:\\R\\z.lnk", LocalLink("C:\\a.lnk.EXE"));  // a duplicate of a.lnk's target
  options.warn_duplicate_targets = true;
  for (const std::optional<std::size_t> limit :
       {std::optional<std::size_t>{}, std::optional<std::size_t>{4}}) {
    messages.shown.clear();
    const AuditResult result = Walk(limit, true);
    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(result.failed, 2u);
    EXPECT_EQ(sink.handed,
              (Paths{"C:\\R\\a.lnk", "C:\\R\\gone.lnk", "C:\\R\\short.lnk", "C:\\R\\z.lnk"}));
    ASSERT_EQ(sink.failures.size(), 2u);
    EXPECT_EQ(sink.failures[0].name, "gone");
    EXPECT_EQ(sink.failures[0].cause, "cannot open the shortcut: it does not exist");
    EXPECT_EQ(sink.failures[1].cause.rfind("not a shortcut: ", 0), 0u) << sink.failures[1].cause;
    ASSERT_EQ(sink.entries.size(), 2u);
    EXPECT_EQ(sink.entries[1].duplicate_target_of, "C:\\R\\a.lnk");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind("1 folder could not be searched", 0), 0u)
        << messages.shown[0];
    ASSERT_EQ(result.passed_over.size(), 1u);
    EXPECT_EQ(result.passed_over[0].folder, "C:\\R\\Locked\\");
    EXPECT_EQ(result.passed_over[0].reason, std::generic_category().message(EACCES));
  }
}

TEST_F(AuditRunTest, RefusesMoreThanItsLimitBeforeAuditingAny) {
  for (const char* name : {"a.lnk", "b.lnk", "c.lnk"}) AddWalked("C:\\R\\", name);
  EXPECT_THROW(Walk(2), platform::Error);
  EXPECT_EQ(Walk(3).count, 3u);
  options.search_subfolders = false;
  sink = test_support::CollectingSink{};
  sink.messages = &messages;
  try {
    AuditRun(files, folders).Run({"C:\\R", {"a.lnk", "b.lnk", "c.lnk"}, options, 2, {}}, sink);
    FAIL() << "three selected shortcuts should be refused with a limit of two";
  } catch (const RunTooLarge& e) {
    EXPECT_EQ(std::string(e.what()).rfind("C:\\R\\: 3 shortcuts selected, more than one run can audit", 0), 0u)
        << e.what();
  }
  EXPECT_TRUE(sink.entries.empty());

  // Paths count together, each shortcut once: a file, then its folder.
  AuditRequest paths{{}, {}, options, 3};
  paths.paths = {"C:\\R\\b.lnk", "C:\\R\\"};
  sink = test_support::CollectingSink{};
  sink.messages = &messages;
  EXPECT_EQ(AuditRun(files, folders).Run(paths, sink).count, 3u);
  EXPECT_EQ(sink.handed, (Paths{"C:\\R\\b.lnk", "C:\\R\\a.lnk", "C:\\R\\c.lnk"}));
  paths.limit = 2;
  sink = test_support::CollectingSink{};
  sink.messages = &messages;
  try {
    AuditRun(files, folders).Run(paths, sink);
    FAIL() << "three shortcuts in two paths should be refused with a limit of two";
  } catch (const RunTooLarge& e) {
    EXPECT_EQ(std::string(e.what()).rfind(
                  "C:\\R\\: more than 2 shortcuts found with the paths before it", 0),
              0u)
        << e.what();
  }
  EXPECT_TRUE(sink.entries.empty());
}

}  // namespace
}  // namespace varnlink::audit
