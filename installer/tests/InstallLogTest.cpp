#include "setup/InstallLog.h"

#include <gtest/gtest.h>

namespace vanta::build {
namespace {

std::vector<TLogRecord> Records() {
  return {
      AppRecord("My Saver"),
      RootRecord(TRootKind::App, "C:\\Program Files\\My Saver"),
      RootRecord(TRootKind::File, "C:\\Windows\\SysWOW64\\My Saver.scr"),
      KeyRootRecord(TRegistryRoot::LocalMachine, "Software\\Norvane\\My Saver"),
      IniRootRecord("C:\\Windows\\system.INI", "boot", "SCRNSAVE.EXE"),
      FolderRecord("C:\\Program Files\\My Saver"),
      FileRecord("C:\\Program Files\\My Saver\\unins000.dat", false),
      FileRecord("C:\\Windows\\SysWOW64\\VantaSaver.001", true),
      FileRecord("C:\\Windows\\SysWOW64\\MPEGDLL.DLL", false, true),
      ReplaceRecord("C:\\Windows\\SysWOW64\\MPEGDLL.DLL", "C:\\Windows\\SysWOW64\\MPEGDLL.DLL.~vb1", true, true),
      ReplaceRecord("C:\\x\\100% a.scr", "C:\\x\\100% a.scr.~vb1", false),
      KeyRecord(TRegistryRoot::CurrentUser, "Software\\Norvane"),
      ValueRecord(TRegistryRoot::CurrentUser, "Software\\Norvane\\My Saver", "", std::nullopt),
      ValueRecord(TRegistryRoot::LocalMachine, "Software\\X", "tab\tname", TRegValue{3, std::string("\0\x01\xff\t\r\n%", 7)}),
      ValueRecord(TRegistryRoot::LocalMachine, "K", "n", StringValue("")),
      IniRecord("C:\\Windows\\system.INI", "boot", "SCRNSAVE.EXE", "C:\\new.scr", "old.scr"),
      IniRecord("C:\\w.ini", "s", "k", "", std::nullopt),
      IniRecord("C:\\w.ini", "s", "k", "v", ""),
      DeleteKeyRecord(TRegistryRoot::LocalMachine, "Software\\Norvane\\My Saver"),
  };
}

TEST(InstallLog, EveryRecordReadsBack) {
  const std::string text = EncodeLog(Records());
  EXPECT_EQ(DecodeLog(text), Records());
  for (const TLogRecord& r : Records()) {
    const std::string line = EncodeRecord(r);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_EQ(DecodeRecord(line), r) << line;
  }
}

// The bytes on disk, kind by kind, and the field that names what each means.
TEST(InstallLog, EachKindsLineAndWhatItNames) {
  const struct {
    TLogRecord record;
    const char* line;
    std::string TLogRecord::*field;
  } cases[] = {
      {AppRecord("My Saver"), "A\tMy Saver", &TLogRecord::appName},
      {RootRecord(TRootKind::App, "C:\\P\\S"), "O\tapp\tC:\\P\\S", &TLogRecord::folder},
      {RootRecord(TRootKind::File, "C:\\W\\S.scr"), "O\tfile\tC:\\W\\S.scr", &TLogRecord::file},
      {KeyRootRecord(TRegistryRoot::LocalMachine, "Software\\N"), "O\tkey\tHKLM\tSoftware\\N", &TLogRecord::subkey},
      {IniRootRecord("C:\\w.ini", "boot", "K"), "O\tini\tC:\\w.ini\tboot\tK", &TLogRecord::file},
      {FolderRecord("C:\\P\\100% S"), "D\tC:\\P\\100%25 S", &TLogRecord::folder},
      {FileRecord("C:\\P\\a", true, true), "F\tC:\\P\\a\t3", &TLogRecord::file},
      {ReplaceRecord("C:\\P\\a", "C:\\P\\a.~vb1", false), "R\tC:\\P\\a\tC:\\P\\a.~vb1\t0", &TLogRecord::file},
      {KeyRecord(TRegistryRoot::CurrentUser, "Software\\N"), "K\tHKCU\tSoftware\\N", &TLogRecord::subkey},
      {ValueRecord(TRegistryRoot::LocalMachine, "K", "n", TRegValue{4, "ab"}), "V\tHKLM\tK\tn\t4\tab", &TLogRecord::subkey},
      {ValueRecord(TRegistryRoot::CurrentUser, "K", "", std::nullopt), "V\tHKCU\tK\t\t-", &TLogRecord::subkey},
      {IniRecord("C:\\w.ini", "s", "k", "new", "old"), "I\tC:\\w.ini\ts\tk\tnew\t=\told", &TLogRecord::file},
      {IniRecord("C:\\w.ini", "s", "k", "new", std::nullopt), "I\tC:\\w.ini\ts\tk\tnew\t-", &TLogRecord::file},
      {DeleteKeyRecord(TRegistryRoot::LocalMachine, "Software\\N"), "X\tHKLM\tSoftware\\N", &TLogRecord::subkey},
  };
  std::string TLogRecord::*const names[] = {&TLogRecord::appName, &TLogRecord::folder, &TLogRecord::file, &TLogRecord::subkey};
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeRecord(c.record), c.line);
    const TLogRecord read = DecodeRecord(c.line);
    EXPECT_EQ(read, c.record) << c.line;
    EXPECT_EQ(&Subject(read), &(read.*c.field)) << c.line;
    for (auto name : names) {
      if (name != c.field) {
        EXPECT_TRUE((read.*name).empty()) << c.line << ": one field names the record";
      }
    }
  }
}

TEST(InstallLog, DamagedLinesAreRefused) {
  for (const char* bad : {"", "F", "Z\tx", "F\tpath", "F\tpath\t4", "F\tpath\t-1", "D\ta\tb", "K\tHKCR\tx",
                          "V\tHKCU\tk\tn", "V\tHKCU\tk\tn\tx", "V\tHKCU\tk\tn\t1x\tdata", "I\tf\ts\tk\tv\t?",
                          "I\tf\ts\tk\tv\t-\textra", "I\tf\ts\tk\t-", "D\tbad%2", "D\tbad%zz", "R\ta\tb",
                          "O\tapp", "O\tdrive\tC:\\x", "O\tkey\tHKCU", "O\tini\tf\ts",
                          // Numbers past 32 bits: the log's error, on every build.
                          "V\tHKCU\tk\tn\t4294967296\tdata", "V\tHKCU\tk\tn\t99999999999999999999999\tdata",
                          "F\tpath\t18446744073709551617"}) {
    EXPECT_THROW(DecodeRecord(bad), TLogError) << bad;
  }
  EXPECT_EQ(DecodeRecord("V\tHKCU\tk\tn\t4294967295\td").oldValue->type, 4294967295u);
  // A log of the older version is not guessed at.
  EXPECT_THROW(DecodeLog(std::string(kOlderLogHeader) + "\r\nA\tx\r\n"), TLogError);
  EXPECT_THROW(DecodeLog("F\tx\t0\r\n"), TInstallError);
  EXPECT_THROW(DecodeLog(""), TInstallError);
  EXPECT_TRUE(DecodeLog(std::string(kLogHeader) + "\r\n").empty());
}

TEST(InstallLog, RegistryValueBytes) {
  EXPECT_EQ(StringValue("ab"), (TRegValue{1, std::string("ab\0", 3)}));
  EXPECT_EQ(DwordValue(0x01020304), (TRegValue{4, "\x04\x03\x02\x01"}));
}

}  // namespace
}  // namespace vanta::build
