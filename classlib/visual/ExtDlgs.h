// File dialogs and the picture dialogs. What the user answers comes from the dialog
// executor: with none installed it is the class library's own modal dialog window (without
// an Application, Execute answers false, as a cancelled dialog does); tests install one that
// answers at once.
#pragma once

#include "classlib/core/Classes.h"

#include <functional>

class TOpenDialog : public TComponent {
  TL_CLASS(TOpenDialog, TComponent)
 public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // "Description|mask;mask|Description|mask".
  String Filter;
  Integer FilterIndex = 1;
  String FileName;
  String DefaultExt;  // without the dot
  String InitialDir;
  String Title;
  virtual bool IsSaveDialog() const { return false; }
  // True with FileName set when the user chose a file. A save dialog adds DefaultExt to a
  // name given without an extension.
  bool Execute();
};

class TSaveDialog : public TOpenDialog {
  TL_CLASS(TSaveDialog, TOpenDialog)
 public:
  using TOpenDialog::TOpenDialog;
  bool IsSaveDialog() const override { return true; }
};

class TOpenPictureDialog : public TOpenDialog {
  TL_CLASS(TOpenPictureDialog, TOpenDialog)
 public:
  // The filter starts as that of every registered graphic format.
  explicit TOpenPictureDialog(TComponent* AOwner);
};

class TSavePictureDialog : public TSaveDialog {
  TL_CLASS(TSavePictureDialog, TSaveDialog)
 public:
  explicit TSavePictureDialog(TComponent* AOwner);
};

using TFileDialogExecutor = std::function<bool(TOpenDialog& Dialog)>;
// Installs Executor and answers the one it replaces.
TFileDialogExecutor SetFileDialogExecutor(TFileDialogExecutor Executor);
