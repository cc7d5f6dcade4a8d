// The file dialogs' own window, the executor used when the program installs none: the
// current folder (typed, or entered from the list), its folders and the files matching the
// chosen filter, the file name, OK and Cancel; the picture dialogs add a preview.
#pragma once

#include "classlib/visual/ExtCtrls.h"
#include "classlib/visual/ExtDlgs.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"

#include <vector>

// "Description|mask;mask|..." as (description, masks) pairs; pairs missing a mask are dropped
// and an empty mask list is "*".
struct TFileFilter {
  String Description;
  std::vector<String> Masks;
};
std::vector<TFileFilter> ParseFileFilter(const String& Filter);
// A mask of * (any run of bytes) and ? (one byte), ASCII letters in either case; "*.*" is
// every name.
bool MatchesFileMask(const String& Name, const String& Mask);

class TFileDialogForm : public TForm {
  TL_CLASS(TFileDialogForm, TForm)
 public:
  TFileDialogForm(TComponent* AOwner, Integer Dummy) : TForm(AOwner, Dummy) {}

  struct TEntry {
    String Name;  // the bytes on disk
    bool Folder = false;
  };

  // Builds the controls from the dialog's settings and opens its first folder.
  void Setup(TOpenDialog& Dialog);
  // Shows the form; on OK stores the chosen file and filter in the dialog.
  bool Run();

  const String& Folder() const { return FFolder; }
  // The list's entries in order: ".." (not at the root), folders, matching files.
  const std::vector<TEntry>& Entries() const { return FEntries; }
  // Opens Path (relative to the current folder) and lists it; a folder that cannot be read
  // is reported in a message box and the current one stays.
  bool ChangeFolder(const String& Path);
  // The preview's text: the picture's size, "(None)" or why it failed to load.
  const String& PreviewText() const { return FPreviewText; }

  TEdit* FolderEdit = nullptr;
  TListBox* FileList = nullptr;
  TEdit* NameEdit = nullptr;
  TListBox* FilterList = nullptr;
  TButton* OkButton = nullptr;
  TButton* CancelButton = nullptr;
  TImage* Preview = nullptr;  // picture dialogs only

 protected:
  void Paint() override;
  void DoShow() override;

 private:
  String Resolve(const String& Path) const;
  bool ReadFolder(const String& Path, std::vector<TEntry>& Out, String& Error) const;
  void ApplyFilter();
  void UpdatePreview();
  void Accept(const String& Path);
  void Report(const String& Text);
  void OkClick(TObject* Sender);
  void ListClick(TObject* Sender);
  void ListDblClick(TObject* Sender);
  void FilterClick(TObject* Sender);
  void ListData(TWinControl* Control, Integer Index, String& Data);

  TOpenDialog* FDialog = nullptr;
  String FFolder;
  std::vector<TEntry> FAll;      // the folder's entries, sorted
  std::vector<TEntry> FEntries;  // those listed
  std::vector<TFileFilter> FFilters;
  String FChosen;
  String FPreviewText;
  TRect FPreviewArea;
};

// The default executor.
bool ExecuteFileDialogForm(TOpenDialog& Dialog);
