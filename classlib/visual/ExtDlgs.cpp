#include "classlib/visual/ExtDlgs.h"

#include "classlib/visual/FileDialogForm.h"
#include "classlib/visual/PictureGraphics.h"

namespace {

TFileDialogExecutor& Executor() {
  static TFileDialogExecutor executor;
  return executor;
}

bool HasExtension(const String& FileName) {
  const size_t dot = FileName.rfind('.');
  const size_t slash = FileName.rfind('/');
  return dot != String::npos && (slash == String::npos || dot > slash) && dot + 1 < FileName.size();
}

}  // namespace

TFileDialogExecutor SetFileDialogExecutor(TFileDialogExecutor Value) {
  TFileDialogExecutor old = std::move(Executor());
  Executor() = std::move(Value);
  return old;
}

bool TOpenDialog::Execute() {
  // A copy, so an executor that replaces itself runs to its end.
  TFileDialogExecutor run = Executor();
  if (!run) run = ExecuteFileDialogForm;
  if (!run(*this) || FileName.empty()) return false;
  if (IsSaveDialog() && !DefaultExt.empty() && !HasExtension(FileName)) FileName += "." + DefaultExt;
  return true;
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
  Filter = GraphicFilter(AnyGraphicClass());
}

TSavePictureDialog::TSavePictureDialog(TComponent* AOwner) : TSaveDialog(AOwner) {
  Filter = GraphicFilter(AnyGraphicClass());
}

TL_DEFINE_CLASS(TOpenDialog)
TL_DEFINE_CLASS(TSaveDialog)
TL_DEFINE_CLASS(TOpenPictureDialog)
TL_DEFINE_CLASS(TSavePictureDialog)
