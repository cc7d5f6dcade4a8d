// Byte streams: the abstract TStream, memory, string, file and handle streams.
#pragma once

#include "classlib/core/Classes.h"

#include <vector>

TL_ENUM(TSeekOrigin, soBeginning, soCurrent, soEnd);

TL_EXCEPTION(EResNotFound, Exception);

class TStream : public TObject {
  TL_CLASS(TStream, TObject)
 public:
  // Reads up to Count bytes; returns how many were read (0 at the end).
  virtual Integer Read(void* Buffer, Integer Count) = 0;
  virtual Integer Write(const void* Buffer, Integer Count) = 0;
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

  // Exactly Count bytes or EReadError / EWriteError.
  void ReadBuffer(void* Buffer, Integer Count);
  void WriteBuffer(const void* Buffer, Integer Count);
  // Copies Count bytes from Source's position, or the whole of Source when Count is 0.
  Int64 CopyFrom(TStream& Source, Int64 Count);

  Int64 GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  virtual Int64 GetSize();
  virtual void SetSize(Int64 NewSize);

  // Component streaming in the binary form (Filer.cpp).
  // Reads a component; with Instance nullptr, the class named in the stream must be
  // registered and is created without owner.
  TComponent* ReadComponent(TComponent* Instance);
  void WriteComponent(TComponent* Instance);
};

class TCustomMemoryStream : public TStream {
  TL_CLASS(TCustomMemoryStream, TStream)
 public:
  Integer Read(void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SaveToStream(TStream& Stream);
  void SaveToFile(const String& FileName);
  const Byte* Memory() const { return FData.data(); }
  Byte* Memory() { return FData.data(); }

 protected:
  std::vector<Byte> FData;
  Int64 FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
  TL_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  // Largest size a memory stream grows to; beyond it EStreamError, never an abort.
  static constexpr Int64 MaxSize = Int64(1) << 30;

  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  void Clear();
  void LoadFromStream(TStream& Stream);
  void LoadFromFile(const String& FileName);
};

class TStringStream : public TStream {
  TL_CLASS(TStringStream, TStream)
 public:
  explicit TStringStream(String AString = String()) : FData(std::move(AString)) {}
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SetSize(Int64 NewSize) override;
  String ReadString(Integer Count);
  void WriteString(const String& AString);
  const String& DataString() const { return FData; }

 private:
  String FData;
  Int64 FPosition = 0;
};

inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyNone = 0x0040;

// A stream over an operating-system file descriptor it does not own.
class THandleStream : public TStream {
  TL_CLASS(THandleStream, TStream)
 public:
  explicit THandleStream(int AHandle) : FHandle(AHandle) {}
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SetSize(Int64 NewSize) override;
  int Handle() const { return FHandle; }

 protected:
  int FHandle;
};

// A file opened by name; file names are the operating system's bytes, never transcoded.
class TFileStream : public THandleStream {
  TL_CLASS(TFileStream, THandleStream)
 public:
  // Raises EFCreateError / EFOpenError naming the file.
  TFileStream(const String& FileName, Word Mode);
  ~TFileStream() override;
  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
};

// A read-only stream over a linked resource (RCDATA by default).
class TResourceStream : public TCustomMemoryStream {
  TL_CLASS(TResourceStream, TCustomMemoryStream)
 public:
  // Raise EResNotFound naming the resource when it is absent.
  TResourceStream(HINSTANCE Instance, const String& ResName, LPCSTR ResType);
  TResourceStream(HINSTANCE Instance, Integer ResID, LPCSTR ResType);
  Integer Write(const void* Buffer, Integer Count) override;

 private:
  void Initialize(HINSTANCE Instance, LPCSTR Name, LPCSTR ResType, const String& Shown);
};
