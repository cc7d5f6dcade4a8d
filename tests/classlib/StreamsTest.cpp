#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "classlib/core/Strings.h"
#include "platform/kernel/Resources.h"
#include "tests/classlib/StreamFixtures.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
String Slurp(const String& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/tl_streamsXXXXXX";
    if (mkdtemp(tmpl)) FPath = tmpl;
  }
  ~TempDir() {
    String cmd = "rm -rf '" + FPath + "'";
    if (!FPath.empty()) (void)std::system(cmd.c_str());
  }
  String File(const char* name) const { return FPath + "/" + name; }

 private:
  String FPath;
};
}  // namespace

TEST(TMemoryStream, ReadsWritesSeeksAndGrows) {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteBuffer("abcdef", 6);
  EXPECT_EQ(m->GetSize(), 6);
  m->SetPosition(10);  // past the end: a write fills the gap with zeros
  m->WriteBuffer("z", 1);
  EXPECT_EQ(m->GetSize(), 11);
  m->Seek(-3, TSeekOrigin::soEnd);
  char buf[8] = {};
  EXPECT_EQ(m->Read(buf, 8), 3);
  EXPECT_EQ(buf[2], 'z');
  EXPECT_THROW(m->ReadBuffer(buf, 1), EReadError);
  m->SetSize(2);
  EXPECT_THROW(m->SetSize(TMemoryStream::MaxSize + 1), EStreamError);
  m->SetPosition(-5);  // a negative position reads and writes nothing
  EXPECT_EQ(m->Read(buf, 1), 0);
  EXPECT_EQ(m->Write("x", 1), 0);
}

TEST(TFileStream, OpenErrorsNameTheFileAndSavesReplaceAtomically) {
  TempDir dir;
  String path = dir.File("data.bin");
  EXPECT_NE(MessageOf<EFOpenError>([&] { Owned<TFileStream>(New<TFileStream>(path, fmOpenRead)); }).find(path),
            std::string::npos);
  EXPECT_THROW(Owned<TFileStream>(New<TFileStream>(dir.File("no/such/dir.bin"), fmCreate)), EFCreateError);
  {
    Owned<TFileStream> f(New<TFileStream>(path, fmCreate));
    f->WriteBuffer("12345", 5);
    f->SetSize(3);
  }
  EXPECT_EQ(Slurp(path), "123");

  Owned<TStringList> lines(New<TStringList>());
  lines->SetCommaText("a,b");
  lines->SaveToFile(path);
  EXPECT_EQ(Slurp(path), "a\r\nb\r\n");
  EXPECT_NE(access((path + ".tmp").c_str(), F_OK), 0);  // no temporary left behind

  // A failed save (the target is a directory) keeps nothing half-written.
  String sub = dir.File("sub");
  ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
  EXPECT_THROW(lines->SaveToFile(sub), EStreamError);
  EXPECT_NE(access((sub + ".tmp").c_str(), F_OK), 0);
}

TEST(TFileStream, SavesNeverFollowALinkKeepTheModeAndReportTheFileAndTheReason) {
  TempDir dir;
  const String path = dir.File("data.bin"), victim = dir.File("victim");
  Owned<TStringList> lines(New<TStringList>());
  lines->SetCommaText("old");
  lines->SaveToFile(path);
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  lines->SaveToFile(victim);
  ASSERT_EQ(::symlink(victim.c_str(), (path + ".tmp").c_str()), 0);   // planted where a fixed name would go

  lines->SetCommaText("new");
  lines->SaveToFile(path);
  EXPECT_EQ(std::pair(Slurp(path), Slurp(victim)), std::pair(String("new\r\n"), String("old\r\n")));
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // A disk that fills up mid-write: the file-size limit cuts the temporary short.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  lines->SetText(String(100000, 'v'));
  const String message = MessageOf<EFCreateError>([&] { lines->SaveToFile(path); });
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(message, "Cannot create file \"" + path + "\": " + std::strerror(EFBIG));
  EXPECT_EQ(Slurp(path), "new\r\n");
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.File(""))) entries += !e.path().empty();
  EXPECT_EQ(entries, 3u);   // data.bin, victim, the planted link: no temporary left behind
}

TEST(TFileStream, LoadsOnlyRegularFilesWithoutBlocking) {
  TempDir dir;
  const String fifo = dir.File("fifo"), zero = dir.File("zero");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
  Owned<TMemoryStream> m(New<TMemoryStream>());
  Owned<TStringList> lines(New<TStringList>());
  for (const String& p : {fifo, zero}) {
    EXPECT_EQ(MessageOf<EFOpenError>([&] { m->LoadFromFile(p); }), "Cannot open file \"" + p + "\": not a regular file");
    EXPECT_THROW(lines->LoadFromFile(p), EFOpenError);
  }
  EXPECT_EQ(MessageOf<EFOpenError>([&] { m->LoadFromFile(dir.File("")); }),
            "Cannot open file \"" + dir.File("") + "\": " + std::strerror(EISDIR));
}

TEST(TResourceStream, ReadsLinkedDataAndRefusesWrites) {
  static const ResourceItem items[] = {{10, 77, nullptr, reinterpret_cast<const Byte*>("xyz"), 3, 0, 0}};
  RegisterResourceTable({"streams_test", items, 1});
  Owned<TResourceStream> byId(New<TResourceStream>(nullptr, 77, RT_RCDATA));
  char buf[4] = {};
  EXPECT_EQ(byId->Read(buf, 4), 3);
  EXPECT_THROW(byId->WriteBuffer("a", 1), EStreamError);
  auto missing = [] { Owned<TResourceStream>(New<TResourceStream>(nullptr, "NOSUCHFORM", RT_RCDATA)); };
  EXPECT_EQ(MessageOf<EResNotFound>(missing), "Resource NOSUCHFORM not found");
  UnregisterResourceTable("streams_test");
}

namespace {
class TDerivedRoot : public TStreamRoot {
  TL_CLASS(TDerivedRoot, TStreamRoot)
 public:
  using TStreamRoot::TStreamRoot;
};
}  // namespace
TL_DEFINE_CLASS(TDerivedRoot)

TEST(TResourceStream, InheritedDescriptionsLoadAncestorsFirst) {
  RegisterStreamTestClasses();
  auto convert = [](const char* text) {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    ObjectTextToBinary(text, *m);
    return String(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  };
  static String base, derived;
  base = convert("object Base: TStreamRoot\n  Caption = 'base'\n  Count = 1\n  object Kid: TStreamPart\n  end\nend");
  derived = convert("inherited Derived: TDerivedRoot\n  Count = 2\n  inherited Kid: TStreamPart\n    Small = 5\n  end\nend");
  static const ResourceItem items[] = {
      {10, 0, "TSTREAMROOT", reinterpret_cast<const Byte*>(base.data()), base.size(), 0, 0},
      {10, 0, "TDERIVEDROOT", reinterpret_cast<const Byte*>(derived.data()), derived.size(), 0, 0}};
  RegisterResourceTable({"inherit_test", items, 2});
  Owned<TDerivedRoot> form(New<TDerivedRoot>(nullptr));
  EXPECT_TRUE(InitInheritedComponent(form.get(), TComponent::StaticClass()));
  EXPECT_EQ(form->GetCaption(), "base");
  EXPECT_EQ(form->GetCount(), 2);
  ASSERT_EQ(form->ComponentCount(), 1);
  EXPECT_EQ(static_cast<TStreamPart*>(form->Components(0))->GetSmall(), 5);
  Owned<TStreamPart> plain(New<TStreamPart>(nullptr));
  EXPECT_FALSE(InitInheritedComponent(plain.get(), TComponent::StaticClass()));
  UnregisterResourceTable("inherit_test");
}
