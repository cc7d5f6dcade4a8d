// Pictures: a holder for one graphic of any registered class, the registry of graphic
// classes by file extension, and the picture's stream form.
#include "classlib/core/Filer.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Graphics.h"
#include "classlib/visual/PictureGraphics.h"

#include <cstring>
#include <vector>

namespace {

struct FileFormat {
  String Extension;
  String Description;
  TGraphicClass Class;
};

std::vector<FileFormat>& Formats() {
  static std::vector<FileFormat> formats;
  return formats;
}

String ExtensionOf(const String& FileName) {
  const size_t dot = FileName.rfind('.');
  const size_t slash = FileName.rfind('/');
  if (dot == String::npos || (slash != String::npos && dot < slash)) return String();
  return FileName.substr(dot + 1);
}

const TGraphicClass* ClassByName(const String& Name) {
  for (const FileFormat& f : Formats())
    if (SameText(f.Class.Class->ClassName(), Name)) return &f.Class;
  return nullptr;
}

}  // namespace

void RegisterFileFormat(const String& Extension, const String& Description, TGraphicClass GraphicClass) {
  if (!GraphicClass) return;
  for (FileFormat& f : Formats())
    if (SameText(f.Extension, Extension)) {
      f = {Extension, Description, GraphicClass};
      return;
    }
  Formats().push_back({Extension, Description, GraphicClass});
}

void UnregisterGraphicClass(TGraphicClass GraphicClass) {
  auto& v = Formats();
  std::erase_if(v, [&](const FileFormat& f) { return f.Class == GraphicClass; });
}

TGraphicClass GraphicClassForExtension(const String& Extension) {
  for (const FileFormat& f : Formats())
    if (SameText(f.Extension, Extension)) return f.Class;
  return {};
}

TL_DEFINE_CLASS(TPicture)

void TPicture::BeforeDestruction() {
  OnChange = nullptr;
  SetOwnedGraphic(nullptr);
  inherited::BeforeDestruction();
}

TPicture::~TPicture() {
  if (FGraphic) FGraphic->Free();
}

void TPicture::SetOwnedGraphic(TGraphic* Value) {
  TGraphic* old = FGraphic;
  FGraphic = Value;
  if (FGraphic) FGraphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
  if (old) old->Free();
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic) return;
  TGraphic* copy = nullptr;
  if (Value) {
    // Graphics are made through their class's metaclass; an unregistered class is copied
    // only when it is a bitmap.
    const TGraphicClass* cls = ClassByName(Value->ClassName());
    copy = cls ? cls->Create() : (dynamic_cast<TBitmap*>(Value) ? New<TBitmap>() : nullptr);
    if (!copy) throw EInvalidGraphic("Unknown picture class " + Value->ClassName());
    // A copy that failed to take the value is freed; a finished one becomes the graphic.
    try {
      copy->Assign(Value);
    } catch (...) {
      copy->Free();
      throw;
    }
  }
  SetOwnedGraphic(copy);
  Changed(this);
}

TBitmap* TPicture::GetBitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(FGraphic)) return b;
  SetOwnedGraphic(New<TBitmap>());
  Changed(this);
  return static_cast<TBitmap*>(FGraphic);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->FGraphic);
  } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    inherited::Assign(Source);
  }
}

void TPicture::LoadFromFile(const String& FileName) {
  const String ext = ExtensionOf(FileName);
  TGraphicClass cls = GraphicClassForExtension(ext);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  Owned<TGraphic> g(cls.Create());
  g->LoadFromFile(FileName);
  SetOwnedGraphic(g.release());
  Changed(this);
}

void TPicture::SaveToFile(const String& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
      FGraphic && !FGraphic->Empty());
}

void TPicture::WriteData(TStream& Stream) {
  const String& name = FGraphic->ClassName();
  const Byte len = Byte(std::min<size_t>(name.size(), 255));
  Stream.WriteBuffer(&len, 1);
  Stream.WriteBuffer(name.data(), len);
  FGraphic->SaveToStream(Stream);
}

void TPicture::ReadData(TStream& Stream) {
  Byte head[8] = {};
  const Int64 start = Stream.GetPosition();
  const Integer got = Stream.Read(head, 8);
  Stream.SetPosition(start);
  static const Byte kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Owned<TGraphic> g;
  try {
    if ((got >= 2 && head[0] == 'B' && head[1] == 'M') || (got == 8 && std::memcmp(head, kPng, 8) == 0)) {
      g.reset(New<TBitmap>());
    } else {
      Byte len = 0;
      if (Stream.Read(&len, 1) != 1) throw EReadError("Picture data is empty");
      String name(len, '\0');
      if (len && Stream.Read(name.data(), len) != len) throw EReadError("Picture data is cut short");
      const TGraphicClass* cls = ClassByName(name);
      if (!cls) throw EReadError("Picture data names an unknown graphic class '" + name + "'");
      g.reset(cls->Create());
    }
    g->LoadFromStream(Stream);
  } catch (const EInvalidGraphic& e) {
    throw EReadError("Picture data is not valid: " + e.Message());
  }
  SetOwnedGraphic(g.release());
  Changed(this);
}

// ---- file filters ----------------------------------------------------------------------------

namespace {

bool FormatMatches(const FileFormat& f, TGraphicClass GraphicClass) {
  return GraphicClass && f.Class.Class->InheritsFrom(*GraphicClass.Class);
}

}  // namespace

TGraphicClass GraphicClassByName(const String& Name) {
  const TGraphicClass* cls = ClassByName(Name);
  return cls ? *cls : TGraphicClass{};
}

TGraphicClass AnyGraphicClass() { return TGraphicClass{&TGraphic::StaticClass(), nullptr}; }

String GraphicFileMask(TGraphicClass GraphicClass) {
  String mask;
  for (const FileFormat& f : Formats())
    if (FormatMatches(f, GraphicClass)) mask += (mask.empty() ? "*." : ";*.") + LowerCase(f.Extension);
  return mask;
}

String GraphicFilter(TGraphicClass GraphicClass) {
  const String all = GraphicFileMask(GraphicClass);
  if (all.empty()) return String();
  String filter = "All (" + all + ")|" + all;
  for (const FileFormat& f : Formats())
    if (FormatMatches(f, GraphicClass)) {
      const String mask = "*." + LowerCase(f.Extension);
      filter += "|" + f.Description + " (" + mask + ")|" + mask;
    }
  return filter;
}

String GraphicExtension(TGraphicClass GraphicClass) {
  for (const FileFormat& f : Formats())
    if (f.Class == GraphicClass) return LowerCase(f.Extension);
  return String();
}
