#include <gtest/gtest.h>

#include "classlib/core/Exceptions.h"
#include "classlib/core/IniFiles.h"
#include "classlib/core/Strings.h"
#include "tests/classlib/ErrorText.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tl-ini-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { fs::remove_all(dir); }

  String Path(const String& name) const { return dir + "/" + name; }
  void Put(const String& name, const String& text) const {
    std::ofstream out(Path(name), std::ios::binary);
    out << text;
  }
  String Get(const String& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return String((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::vector<String> Entries() const {
    std::vector<String> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  String dir;
};

using Strings = std::vector<String>;

Owned<TIniFile> Open(const String& path) { return Owned<TIniFile>(New<TIniFile>(path)); }

}  // namespace

TEST_F(IniFileTest, SectionsAndKeysAreListedInFileOrder) {
  Put("a.ini", "[zeta]\nb=1\na=2\n[alpha]\nz=3\n[10,4]\n2611=3,Ann,(0,9)\n17=5,Bob,(1,1)\n");
  auto ini = Open(Path("a.ini"));
  Strings s;
  ini->ReadSections(s);
  EXPECT_EQ(s, (Strings{"zeta", "alpha", "10,4"}));
  ini->ReadSection("zeta", s);
  EXPECT_EQ(s, (Strings{"b", "a"}));
  ini->ReadSectionValues("10,4", s);
  EXPECT_EQ(s, (Strings{"2611=3,Ann,(0,9)", "17=5,Bob,(1,1)"}));

  // Into a string list: its old content is replaced.
  Owned<TStringList> list(New<TStringList>());
  list->Add("stale");
  ini->ReadSections(list.get());
  EXPECT_EQ(list->GetCommaText(), "zeta,alpha,\"10,4\"");

  // A new key joins its own section (before the blank separator), a new section the end.
  Put("b.ini", "[one]\nx=1\n\n[two]\ny=2\n");
  auto ini2 = Open(Path("b.ini"));
  ini2->WriteString("one", "z", "3");
  ini2->WriteInteger("three", "w", 4);
  EXPECT_EQ(Get("b.ini"), "[one]\nx=1\nz=3\n\n[two]\ny=2\n[three]\nw=4\n");
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefaultAndReadingCreatesNothing) {
  auto ini = Open(Path("config.ini"));
  EXPECT_EQ(ini->ReadString("Settings", "Name", "Player"), "Player");
  EXPECT_FALSE(ini->SectionExists("Settings"));
  ini->EraseSection("Settings");
  ini->DeleteKey("Settings", "Size");
  EXPECT_TRUE(Entries().empty());

  ini->WriteInteger("Settings", "Size", 12);
  EXPECT_EQ(Get("config.ini"), "[Settings]\nSize=12\n");
}

TEST_F(IniFileTest, IntegersAndBooleansParseStrictlyElseTheDefault) {
  Put("n.ini",
      "[n]\nplain= 42 \nneg=-5\nhex=$1F\nchex=0x10\nall=$FFFFFFFF\nmin=-2147483648\n"
      "junk=12abc\nempty=\nbig=99999999999\nover=2147483648\nsign=-\nbare=0x\nspace=1 2\n"
      "t=1\nf=0\nword=yes\n");
  auto ini = Open(Path("n.ini"));
  EXPECT_EQ(ini->ReadInteger("n", "plain", 0), 42);
  EXPECT_EQ(ini->ReadInteger("n", "hex", 0), 31);
  EXPECT_EQ(ini->ReadInteger("n", "all", 0), -1);
  EXPECT_EQ(ini->ReadInteger("n", "min", 0), INT32_MIN);
  for (const char* key : {"junk", "big", "over", "bare"})
    EXPECT_EQ(ini->ReadInteger("n", key, 77), 77) << key;
  EXPECT_TRUE(ini->ReadBool("n", "t", false));
  EXPECT_TRUE(ini->ReadBool("n", "word", true));
  EXPECT_FALSE(ini->ReadBool("n", "word", false));

  ini->WriteBool("n", "t", false);
  ini->WriteInteger("n", "neg", INT32_MIN);
  auto again = Open(Path("n.ini"));
  EXPECT_FALSE(again->ReadBool("n", "t", true));
  EXPECT_EQ(again->ReadInteger("n", "neg", 0), INT32_MIN);
}

TEST_F(IniFileTest, NamesCompareWithoutCaseAndAWriteUpdatesTheExistingSpelling) {
  Put("c.ini", "[Settings]\nsize=7\n");
  auto ini = Open(Path("c.ini"));
  EXPECT_EQ(ini->ReadInteger("SETTINGS", "Size", 0), 7);
  ini->WriteInteger("settings", "SIZE", 9);
  EXPECT_EQ(Get("c.ini"), "[Settings]\nsize=9\n");
  ini->DeleteKey("SETTINGS", "Size");
  EXPECT_EQ(Get("c.ini"), "[Settings]\n");
  ini->EraseSection("settings");
  EXPECT_EQ(Get("c.ini"), "");

  // Letters beyond ASCII fold by the code page: é/É, š/Š, ÿ/Ÿ.
  Put("c2.ini", "[Caf\xe9]\n\x9a" "ef=1\n\xff=2\n");
  auto ini2 = Open(Path("c2.ini"));
  EXPECT_EQ(ini2->ReadInteger("CAF\xc9", "\x8a" "EF", 0), 1);
  EXPECT_EQ(ini2->ReadInteger("caf\xe9", "\x9f", 0), 2);
}

TEST_F(IniFileTest, DuplicatesReadAsTheFirstAndRepeatedSectionsMerge) {
  Put("d.ini", "[s]\nk=first\nk=second\n[t]\nx=1\n[S]\nk=third\nm=4\n");
  auto ini = Open(Path("d.ini"));
  EXPECT_EQ(ini->ReadString("s", "k", ""), "first");
  EXPECT_EQ(ini->ReadString("s", "m", ""), "4");
  Strings s;
  ini->ReadSections(s);
  EXPECT_EQ(s, (Strings{"s", "t"}));
  // Deleting a key removes every copy, so no older duplicate surfaces afterwards.
  ini->DeleteKey("s", "k");
  EXPECT_EQ(Get("d.ini"), "[s]\n[t]\nx=1\n[S]\nm=4\n");
  ini->EraseSection("s");
  EXPECT_EQ(Get("d.ini"), "[t]\nx=1\n");
}

TEST_F(IniFileTest, BlanksAroundNamesAndValuesAreTrimmedAndLongValuesKeptWhole) {
  Put("t.ini", "  [ Settings ]  \n\t Name \t=   Player One  \n");
  auto ini = Open(Path("t.ini"));
  EXPECT_EQ(ini->ReadString("Settings", "Name", ""), "Player One");

  String moves;
  for (int i = 0; i < 20000; ++i) moves += "(" + std::to_string(i % 20) + "," + std::to_string(i % 17) + ")";
  const String value = "3,Ann," + moves;
  ini->WriteString("10,4", "2611", value);
  auto again = Open(Path("t.ini"));
  EXPECT_EQ(again->ReadString("10,4", "2611", ""), value);
}

TEST_F(IniFileTest, LineEndsOfEveryKindReadAndARewriteKeepsTheFilesStyle) {
  Put("crlf.ini", "; note\r\n[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
  auto crlf = Open(Path("crlf.ini"));
  EXPECT_EQ(crlf->ReadInteger("b", "y", 0), 2);
  crlf->WriteInteger("a", "z", 3);
  EXPECT_EQ(Get("crlf.ini"), "; note\r\n[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");

  Put("cr.ini", "[a]\rx=1\ry=2\r[b]\rz=3");
  auto cr = Open(Path("cr.ini"));
  EXPECT_EQ(cr->ReadInteger("a", "y", 0), 2);
}

TEST_F(IniFileTest, MalformedFilesReadAsFarAsTheyCan) {
  String junk = String("\x00\xff\xfe", 3) + " garbage = before any section\n";
  junk += "[unterminated\nk=v\n";
  junk += "no equals sign here\n";
  junk += "=value without key\n";
  junk += String(300000, 'x') + "\n";
  junk += String("[ok]\nkey=va\x00lue\n", 16);
  junk += "[]\nempty=1\n";
  junk += "[s]\nlast=no newline";
  Put("m.ini", junk);
  auto ini = Open(Path("m.ini"));
  Strings s;
  ini->ReadSections(s);
  EXPECT_EQ(s, (Strings{"unterminated", "ok", "", "s"}));
  EXPECT_EQ(ini->ReadString("ok", "key", ""), String("va\x00lue", 6));
  EXPECT_EQ(ini->ReadString("s", "last", ""), "no newline");

  // Writing keeps every line it did not touch, junk included.
  ini->WriteString("s", "added", "1");
  EXPECT_EQ(Get("m.ini"), junk + "\nadded=1\n");

  Put("nosec.ini", "a=1\nb=2\n");
  auto nosec = Open(Path("nosec.ini"));
  nosec->ReadSections(s);
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(nosec->ReadInteger("", "a", -1), -1);
}

TEST_F(IniFileTest, WhatTheSyntaxCannotHoldIsRefusedAndTheFileLeftAlone) {
  Put("r.ini", "[a]\nx=1\n");
  auto ini = Open(Path("r.ini"));
  EXPECT_THROW(ini->WriteString("a", "x", "two\nlines"), EIniFileException);
  EXPECT_THROW(ini->WriteString("a", "k=v", "1"), EIniFileException);
  EXPECT_THROW(ini->WriteString("a", "[b]", "1"), EIniFileException);
  EXPECT_THROW(ini->WriteString("", "k", "1"), EIniFileException);
  EXPECT_EQ(Get("r.ini"), "[a]\nx=1\n");
  EXPECT_EQ(ini->ReadString("a", "x", ""), "1");
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileWholeAndIsReported) {
  const String old = "[a]\nx=1\n";
  Put("w.ini", old);
  auto ini = Open(Path("w.ini"));
  ASSERT_EQ(ini->ReadString("a", "x", ""), "1");

  // A disk that fills up mid-write: the file-size limit cuts the temporary file short.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool threw = false;
  try {
    ini->WriteString("a", "big", String(100000, 'v'));
  } catch (const EIniFileException& e) {
    threw = true;
    EXPECT_NE(String(e.Message()).find("w.ini"), String::npos) << e.Message();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(threw);
  EXPECT_EQ(Get("w.ini"), old);
  EXPECT_EQ(Entries(), Strings{"w.ini"});   // no temporary file left behind
  // The unsaved change is not served from memory either.
  EXPECT_FALSE(ini->ValueExists("a", "big"));

  // A folder that does not exist: reported, nothing created.
  auto nowhere = Open(Path("missing/config.ini"));
  EXPECT_THROW(nowhere->WriteInteger("Settings", "Size", 5), EIniFileException);
  EXPECT_EQ(Entries(), Strings{"w.ini"});
}

TEST_F(IniFileTest, AFolderThatCannotBeWrittenIsReportedAndTheFileKept) {
  // A path through a regular file: nobody, the superuser included, can create a file there.
  Put("plain", "not a folder\n");
  auto through = Open(Path("plain/config.ini"));
  EXPECT_EQ(through->ReadInteger("a", "x", 7), 7);
  EXPECT_THROW(through->WriteInteger("a", "x", 2), EIniFileException);
  EXPECT_EQ(through->ReadInteger("a", "x", 7), 7);   // the failed change is not kept in memory
  EXPECT_EQ(Get("plain"), "not a folder\n");
  EXPECT_EQ(Entries(), Strings{"plain"});

  // Permissions bind ordinary users only; the superuser gets the case above alone.
  if (::geteuid() == 0) return;
  Put("ro.ini", "[a]\nx=1\n");
  ::chmod(dir.c_str(), 0555);
  auto ini = Open(Path("ro.ini"));
  EXPECT_THROW(ini->WriteInteger("a", "x", 2), EIniFileException);
  ::chmod(dir.c_str(), 0755);
  EXPECT_EQ(Get("ro.ini"), "[a]\nx=1\n");
  EXPECT_EQ(ini->ReadInteger("a", "x", 0), 1);
}

TEST_F(IniFileTest, AnUnreadableFileReadsAsEmptyAndIsNeverOverwritten) {
  fs::create_directory(Path("config.ini"));
  auto ini = Open(Path("config.ini"));
  EXPECT_EQ(ini->ReadInteger("Settings", "Size", 10), 10);
  EXPECT_THROW(ini->WriteInteger("Settings", "Size", 5), EIniFileException);
  EXPECT_TRUE(fs::is_directory(Path("config.ini")));
  // A FIFO with no writer and a link to an endless device: refused at once, never written.
  ASSERT_EQ(::mkfifo(Path("fifo.ini").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", Path("zero.ini"));
  for (const char* name : {"fifo.ini", "zero.ini"}) {
    auto other = Open(Path(name));
    EXPECT_EQ(other->ReadInteger("Settings", "Size", 10), 10);
    EXPECT_EQ(MessageOf([&] { other->WriteInteger("Settings", "Size", 5); }),
              "Unable to write to " + Path(name) + ": the existing file cannot be read (not a regular file)");
  }
  EXPECT_EQ(Entries(), (Strings{"config.ini", "fifo.ini", "zero.ini"}));
}

TEST_F(IniFileTest, ChangesMadeByAnotherWriterAreSeenAndKept) {
  auto a = Open(Path("h.ini"));
  auto b = Open(Path("h.ini"));
  EXPECT_EQ(a->ReadString("10,4", "1", "none"), "none");
  b->WriteString("10,4", "1", "5,Bob,(0,0)");
  EXPECT_EQ(a->ReadString("10,4", "1", "none"), "5,Bob,(0,0)");
  a->WriteString("10,4", "2", "3,Ann,(1,1)");
  EXPECT_EQ(b->ReadString("10,4", "2", ""), "3,Ann,(1,1)");
  std::remove(Path("h.ini").c_str());
  EXPECT_EQ(a->ReadString("10,4", "1", "gone"), "gone");
}

TEST_F(IniFileTest, FileNamesAreBytesAndRewritesKeepLinksAndPermissions) {
  const String name = "caf\xe9 \xd0\x9f.ini";   // a 1252 byte and a UTF-8 pair, as they come
  auto ini = Open(Path(name));
  ini->WriteString("Settings", "Name", "x");
  EXPECT_EQ(Entries(), Strings{name});
  EXPECT_EQ(Open(Path(name))->ReadString("Settings", "Name", ""), "x");

  Put("real.ini", "[a]\nx=1\n");
  ::chmod(Path("real.ini").c_str(), 0640);
  fs::create_symlink("real.ini", Path("link.ini"));
  auto link = Open(Path("link.ini"));
  link->WriteInteger("a", "x", 2);
  EXPECT_TRUE(fs::is_symlink(Path("link.ini")));
  EXPECT_EQ(Get("real.ini"), "[a]\nx=2\n");
  struct stat st;
  ASSERT_EQ(::stat(Path("real.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}
