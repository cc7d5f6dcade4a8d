#include "classlib/core/Streams.h"

#include "platform/kernel/Files.h"
#include "platform/kernel/Resources.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using enum TSeekOrigin;

TL_DEFINE_CLASS(TStream)
TL_DEFINE_CLASS(TCustomMemoryStream)
TL_DEFINE_CLASS(TMemoryStream)
TL_DEFINE_CLASS(TStringStream)
TL_DEFINE_CLASS(THandleStream)
TL_DEFINE_CLASS(TFileStream)
TL_DEFINE_CLASS(TResourceStream)

// ---- TStream ----

void TStream::ReadBuffer(void* Buffer, Integer Count) {
  if (Count > 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, Integer Count) {
  if (Count > 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

Int64 TStream::GetSize() {
  Int64 pos = Seek(0, soCurrent);
  Int64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(Int64) {}

Int64 TStream::CopyFrom(TStream& Source, Int64 Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.GetSize();
  }
  if (Count < 0) throw EReadError("Stream read error");
  Byte buf[65536];
  Int64 left = Count;
  while (left > 0) {
    Integer n = Integer(std::min<Int64>(left, sizeof buf));
    Source.ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    left -= n;
  }
  return Count;
}

// ---- Memory streams ----

namespace {
Int64 SeekTarget(Int64 pos, Int64 size, Int64 Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning:
      return Offset;
    case soCurrent:
      return pos + Offset;
    case soEnd:
      return size + Offset;
  }
  return pos;
}
}  // namespace

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count) {
  Int64 size = Int64(FData.size());
  if (Count <= 0 || FPosition < 0 || FPosition >= size) return 0;
  Integer n = Integer(std::min<Int64>(Count, size - FPosition));
  std::memcpy(Buffer, FData.data() + FPosition, size_t(n));
  FPosition += n;
  return n;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(FPosition, Int64(FData.size()), Offset, Origin);
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& Stream) {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), Integer(FData.size()));
}

void TCustomMemoryStream::SaveToFile(const String& FileName) {
  if (const int err = ReplaceFileContents(FileName, FData.data(), FData.size()))
    throw EFCreateError("Cannot create file \"" + FileName + "\": " + FileErrorText(err));
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0 || FPosition < 0) return 0;
  Int64 end = FPosition + Count;
  if (end > Int64(FData.size())) SetSize(end);
  std::memcpy(FData.data() + FPosition, Buffer, size_t(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0 || NewSize > MaxSize) throw EStreamError("Out of memory while expanding memory stream");
  FData.resize(size_t(NewSize));
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  Int64 n = Stream.GetSize();
  SetSize(n);
  FPosition = 0;
  if (n > 0) Stream.ReadBuffer(FData.data(), Integer(n));
}

void TMemoryStream::LoadFromFile(const String& FileName) {
  String data;
  if (const int err = ReadRegularFile(FileName, data, size_t(MaxSize)))
    throw EFOpenError("Cannot open file \"" + FileName + "\": " + FileErrorText(err));
  FData.assign(data.begin(), data.end());
  FPosition = 0;
}

// ---- TStringStream ----

Integer TStringStream::Read(void* Buffer, Integer Count) {
  Int64 size = Int64(FData.size());
  if (Count <= 0 || FPosition < 0 || FPosition >= size) return 0;
  Integer n = Integer(std::min<Int64>(Count, size - FPosition));
  std::memcpy(Buffer, FData.data() + FPosition, size_t(n));
  FPosition += n;
  return n;
}

Integer TStringStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0 || FPosition < 0) return 0;
  Int64 end = FPosition + Count;
  if (end > TMemoryStream::MaxSize) return 0;
  if (end > Int64(FData.size())) FData.resize(size_t(end));
  std::memcpy(FData.data() + FPosition, Buffer, size_t(Count));
  FPosition = end;
  return Count;
}

Int64 TStringStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  FPosition = std::clamp<Int64>(SeekTarget(FPosition, Int64(FData.size()), Offset, Origin), 0, Int64(FData.size()));
  return FPosition;
}

void TStringStream::SetSize(Int64 NewSize) {
  if (NewSize < 0 || NewSize > TMemoryStream::MaxSize) throw EStreamError("Invalid stream size");
  FData.resize(size_t(NewSize));
  if (FPosition > NewSize) FPosition = NewSize;
}

String TStringStream::ReadString(Integer Count) {
  Int64 avail = std::max<Int64>(0, Int64(FData.size()) - FPosition);
  Integer n = Integer(std::clamp<Int64>(Count, 0, avail));
  String s = FData.substr(size_t(FPosition), size_t(n));
  FPosition += n;
  return s;
}

void TStringStream::WriteString(const String& AString) { WriteBuffer(AString.data(), Integer(AString.size())); }

// ---- Handle and file streams ----

Integer THandleStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  Integer total = 0;
  while (total < Count) {
    ssize_t n = ::read(FHandle, static_cast<Byte*>(Buffer) + total, size_t(Count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += Integer(n);
  }
  return total;
}

Integer THandleStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  Integer total = 0;
  while (total < Count) {
    ssize_t n = ::write(FHandle, static_cast<const Byte*>(Buffer) + total, size_t(Count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += Integer(n);
  }
  return total;
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(FHandle, off_t(Offset), whence);
  return r < 0 ? -1 : Int64(r);
}

void THandleStream::SetSize(Int64 NewSize) {
  Int64 pos = GetPosition();
  if (::ftruncate(FHandle, off_t(NewSize)) != 0) throw EStreamError("Stream write error");
  if (pos > NewSize) Seek(NewSize, soBeginning);
}

TFileStream::TFileStream(const String& FileName, Word Mode) : THandleStream(-1), FFileName(FileName) {
  if (Mode == fmCreate || (Mode & 0xFF00) == fmCreate) {
    FHandle = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (FHandle < 0) throw EFCreateError("Cannot create file \"" + FileName + "\"");
  } else {
    int access = (Mode & 3) == fmOpenWrite ? O_WRONLY : (Mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    FHandle = ::open(FileName.c_str(), access | O_CLOEXEC);
    if (FHandle < 0) throw EFOpenError("Cannot open file \"" + FileName + "\"");
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

// ---- TResourceStream ----

TResourceStream::TResourceStream(HINSTANCE Instance, const String& ResName, LPCSTR ResType) {
  Initialize(Instance, ResName.c_str(), ResType, ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, Integer ResID, LPCSTR ResType) {
  Initialize(Instance, MAKEINTRESOURCEA(uintptr_t(ResID)), ResType, std::to_string(ResID));
}

void TResourceStream::Initialize(HINSTANCE Instance, LPCSTR Name, LPCSTR ResType, const String& Shown) {
  HRSRC res = FindResourceA(Instance, Name, ResType);
  const void* data = res ? LockResource(LoadResource(Instance, res)) : nullptr;
  if (!data) throw EResNotFound("Resource " + Shown + " not found");
  const Byte* p = static_cast<const Byte*>(data);
  FData.assign(p, p + SizeofResource(Instance, res));
}

Integer TResourceStream::Write(const void*, Integer) {
  throw EStreamError("Can't write to a read-only resource stream");
}
