#include "classlib/visual/FileDialogForm.h"

#include "classlib/core/Exceptions.h"
#include "platform/kernel/Files.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr Integer kMargin = 8;
constexpr Integer kLabelWidth = 76;
constexpr Integer kListWidth = 384;
constexpr Integer kListHeight = 200;
constexpr Integer kEditHeight = 21;
constexpr Integer kButtonWidth = 75;
constexpr Integer kButtonHeight = 23;
constexpr Integer kPreviewWidth = 160;
// Pictures past this size are not read for the preview.
constexpr off_t kPreviewLimit = 64 << 20;

Char Lower(Char c) { return c >= 'A' && c <= 'Z' ? Char(c - 'A' + 'a') : c; }

// Folders and files each by name, letters in either case together, then by the exact bytes.
bool NameLess(const TFileDialogForm::TEntry& a, const TFileDialogForm::TEntry& b) {
  if (a.Folder != b.Folder) return a.Folder;
  const size_t n = std::min(a.Name.size(), b.Name.size());
  for (size_t i = 0; i < n; ++i) {
    const Char x = Lower(a.Name[i]), y = Lower(b.Name[i]);
    if (x != y) return Byte(x) < Byte(y);
  }
  if (a.Name.size() != b.Name.size()) return a.Name.size() < b.Name.size();
  return a.Name < b.Name;
}

// Control bytes (a newline in a name) would break the list's line: shown as '?'.
String Shown(const String& Name) {
  String s = Name;
  for (Char& c : s)
    if (Byte(c) < 0x20 || Byte(c) == 0x7F) c = '?';
  return s;
}

String Trim(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

String BaseName(const String& Path) {
  const size_t slash = Path.rfind('/');
  return slash == String::npos ? Path : Path.substr(slash + 1);
}

bool HasExtension(const String& Name) {
  const String base = BaseName(Name);
  const size_t dot = base.rfind('.');
  return dot != String::npos && dot + 1 < base.size();
}

// An absolute path with "." and ".." folded and repeated slashes dropped.
String Normalize(const String& Path) {
  std::vector<String> parts;
  size_t i = 0;
  while (i <= Path.size()) {
    size_t j = Path.find('/', i);
    if (j == String::npos) j = Path.size();
    const String part = Path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  String out;
  for (const String& p : parts) out += "/" + p;
  return out.empty() ? String("/") : out;
}

String CurrentFolder() {
  std::vector<char> buf(4096);
  if (getcwd(buf.data(), buf.size())) return String(buf.data());
  return "/";
}

bool IsFolder(const String& Path) {
  struct stat st;
  return stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<TFileFilter> ParseFileFilter(const String& Filter) {
  std::vector<String> fields;
  size_t i = 0;
  while (i <= Filter.size() && !Filter.empty()) {
    size_t j = Filter.find('|', i);
    if (j == String::npos) j = Filter.size();
    fields.push_back(Filter.substr(i, j - i));
    i = j + 1;
  }
  std::vector<TFileFilter> out;
  for (size_t k = 0; k + 1 < fields.size(); k += 2) {
    TFileFilter f;
    f.Description = fields[k];
    size_t a = 0;
    const String& masks = fields[k + 1];
    while (a <= masks.size()) {
      size_t b = masks.find(';', a);
      if (b == String::npos) b = masks.size();
      const String m = Trim(masks.substr(a, b - a));
      if (!m.empty()) f.Masks.push_back(m);
      a = b + 1;
    }
    if (f.Masks.empty()) f.Masks.push_back("*");
    out.push_back(std::move(f));
  }
  return out;
}

bool MatchesFileMask(const String& Name, const String& Mask) {
  if (Mask == "*.*") return true;
  // Greedy with one back-track point: linear in practice, never exponential.
  size_t n = 0, m = 0, starM = String::npos, starN = 0;
  while (n < Name.size()) {
    if (m < Mask.size() && Mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (m < Mask.size() && (Mask[m] == '?' || Lower(Mask[m]) == Lower(Name[n]))) {
      ++m;
      ++n;
    } else if (starM != String::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < Mask.size() && Mask[m] == '*') ++m;
  return m == Mask.size();
}

// ---- The form -------------------------------------------------------------------------------

void TFileDialogForm::Setup(TOpenDialog& Dialog) {
  FDialog = &Dialog;
  const bool picture = dynamic_cast<TOpenPictureDialog*>(&Dialog) || dynamic_cast<TSavePictureDialog*>(&Dialog);
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetCaption(!Dialog.Title.empty() ? Dialog.Title : String(Dialog.IsSaveDialog() ? "Save As" : "Open"));
  SetPosition(Application && Application->MainForm() ? TPosition::poMainFormCenter : TPosition::poScreenCenter);

  const Integer fieldLeft = kMargin + kLabelWidth;
  const Integer listRight = kMargin + kListWidth;
  const Integer width = picture ? listRight + kMargin + kPreviewWidth + kMargin : listRight + kMargin;
  const Integer listTop = kMargin + kEditHeight + kMargin;
  const Integer nameTop = listTop + kListHeight + kMargin;
  const Integer filterTop = nameTop + kEditHeight + kMargin;
  const Integer filterHeight = 52;
  const Integer buttonLeft = listRight - kButtonWidth;
  const Integer fieldWidth = buttonLeft - kMargin - fieldLeft;
  SetClientWidth(width);
  SetClientHeight(filterTop + filterHeight + kMargin);

  FolderEdit = New<TEdit>(this);
  FolderEdit->SetParent(this);
  FolderEdit->SetBounds(fieldLeft, kMargin, listRight - fieldLeft, kEditHeight);

  FileList = New<TListBox>(this);
  FileList->SetParent(this);
  FileList->SetBounds(kMargin, listTop, kListWidth, kListHeight);
  // Virtual: a folder of many thousands of entries costs only what is on screen.
  FileList->SetStyle(TListBoxStyle::lbVirtual);
  FileList->OnData = TLBGetDataEvent(this, &TFileDialogForm::ListData);
  FileList->OnClick = TNotifyEvent(this, &TFileDialogForm::ListClick);
  FileList->OnDblClick = TNotifyEvent(this, &TFileDialogForm::ListDblClick);

  NameEdit = New<TEdit>(this);
  NameEdit->SetParent(this);
  NameEdit->SetBounds(fieldLeft, nameTop, fieldWidth, kEditHeight);
  // Whole, so that a FileName with a folder still names that file on OK.
  NameEdit->SetText(Dialog.FileName);

  OkButton = New<TButton>(this);
  OkButton->SetParent(this);
  OkButton->SetCaption(Dialog.IsSaveDialog() ? "Save" : "Open");
  OkButton->SetBounds(buttonLeft, nameTop - 1, kButtonWidth, kButtonHeight);
  OkButton->SetDefault(true);
  OkButton->OnClick = TNotifyEvent(this, &TFileDialogForm::OkClick);

  FilterList = New<TListBox>(this);
  FilterList->SetParent(this);
  FilterList->SetBounds(fieldLeft, filterTop, fieldWidth, filterHeight);
  FilterList->OnClick = TNotifyEvent(this, &TFileDialogForm::FilterClick);

  CancelButton = New<TButton>(this);
  CancelButton->SetParent(this);
  CancelButton->SetCaption("Cancel");
  CancelButton->SetBounds(buttonLeft, filterTop, kButtonWidth, kButtonHeight);
  CancelButton->SetModalResult(mrCancel);
  CancelButton->SetCancel(true);

  if (picture) {
    FPreviewArea = TRect{listRight + kMargin, listTop, width - kMargin, listTop + kPreviewWidth};
    Preview = New<TImage>(this);
    Preview->SetParent(this);
    Preview->SetBoundsRect(FPreviewArea);
    FPreviewText = "(None)";
  }

  FFilters = ParseFileFilter(Dialog.Filter);
  if (FFilters.empty()) FFilters.push_back(TFileFilter{"All files", {"*"}});
  for (const TFileFilter& f : FFilters) FilterList->GetItems()->Add(Shown(f.Description));
  // An index outside the filters selects the first.
  const Integer index = Dialog.FilterIndex >= 1 && Dialog.FilterIndex <= Integer(FFilters.size()) ? Dialog.FilterIndex : 1;
  FilterList->SetItemIndex(index - 1);

  // InitialDir, or the working folder when it is empty, missing or unreadable (an
  // unreadable working folder is listed empty).
  FFolder = Normalize(CurrentFolder());
  std::vector<TEntry> entries;
  String error;
  const String initial = Dialog.InitialDir.empty() ? String() : Resolve(Dialog.InitialDir);
  if (!initial.empty() && IsFolder(initial) && ReadFolder(initial, entries, error)) {
    FFolder = initial;
    FAll = std::move(entries);
  } else if (ReadFolder(FFolder, entries, error)) {
    FAll = std::move(entries);
  }
  FolderEdit->SetText(Shown(FFolder));
  ApplyFilter();
}

void TFileDialogForm::DoShow() {
  inherited::DoShow();
  if (NameEdit && NameEdit->CanFocus()) SetActiveControl(NameEdit);
}

bool TFileDialogForm::Run() {
  if (ShowModal() != mrOk || FChosen.empty()) return false;
  FDialog->FileName = FChosen;
  FDialog->FilterIndex = FilterList->GetItemIndex() + 1;
  return true;
}

String TFileDialogForm::Resolve(const String& Path) const {
  return Normalize(!Path.empty() && Path[0] == '/' ? Path : FFolder + "/" + Path);
}

bool TFileDialogForm::ReadFolder(const String& Path, std::vector<TEntry>& Out, String& Error) const {
  Out.clear();
  DIR* dir = opendir(Path.c_str());
  if (!dir) {
    Error = FileErrorText(errno);
    return false;
  }
  const int fd = dirfd(dir);
  while (dirent* e = readdir(dir)) {
    const String name = e->d_name;
    if (name == "." || name == "..") continue;
    TEntry entry;
    entry.Name = name;
    // Links are followed; a broken one is listed as a file (choosing it reports it missing).
    struct stat st;
    entry.Folder = fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    Out.push_back(std::move(entry));
  }
  closedir(dir);
  std::sort(Out.begin(), Out.end(), NameLess);
  return true;
}

bool TFileDialogForm::ChangeFolder(const String& Path) {
  const String target = Resolve(Path);
  std::vector<TEntry> entries;
  String error;
  if (!IsFolder(target)) {
    Report(target + "\nThe folder does not exist.");
    return false;
  }
  if (!ReadFolder(target, entries, error)) {
    Report(target + "\nThe folder cannot be read: " + error + ".");
    return false;
  }
  FFolder = target;
  FAll = std::move(entries);
  FolderEdit->SetText(Shown(FFolder));
  ApplyFilter();
  return true;
}

void TFileDialogForm::ApplyFilter() {
  const Integer index = FilterList->GetItemIndex();
  const std::vector<String>& masks = FFilters[size_t(index >= 0 ? index : 0)].Masks;
  FEntries.clear();
  if (FFolder != "/") FEntries.push_back(TEntry{"..", true});
  for (const TEntry& e : FAll) {
    if (!e.Folder && std::none_of(masks.begin(), masks.end(), [&](const String& m) { return MatchesFileMask(e.Name, m); }))
      continue;
    FEntries.push_back(e);
  }
  FileList->SetCount(0);
  FileList->SetCount(Integer(FEntries.size()));
  UpdatePreview();
}

void TFileDialogForm::ListData(TWinControl*, Integer Index, String& Data) {
  if (Index < 0 || size_t(Index) >= FEntries.size()) return;
  const TEntry& e = FEntries[size_t(Index)];
  Data = e.Folder && e.Name != ".." ? Shown(e.Name) + "/" : Shown(e.Name);
}

void TFileDialogForm::ListClick(TObject*) {
  const Integer i = FileList->GetItemIndex();
  if (i >= 0 && size_t(i) < FEntries.size() && !FEntries[size_t(i)].Folder) NameEdit->SetText(Shown(FEntries[size_t(i)].Name));
  UpdatePreview();
}

void TFileDialogForm::ListDblClick(TObject*) {
  const Integer i = FileList->GetItemIndex();
  if (i < 0 || size_t(i) >= FEntries.size()) return;
  if (FEntries[size_t(i)].Folder) ChangeFolder(FEntries[size_t(i)].Name);
  else OkClick(FileList);
}

void TFileDialogForm::FilterClick(TObject*) { ApplyFilter(); }

void TFileDialogForm::UpdatePreview() {
  if (!Preview) return;
  Preview->GetPicture()->SetGraphic(nullptr);
  Preview->SetStretch(false);
  Preview->SetBoundsRect(FPreviewArea);
  FPreviewText = "(None)";
  const Integer i = FileList->GetItemIndex();
  if (i >= 0 && size_t(i) < FEntries.size() && !FEntries[size_t(i)].Folder) {
    const String path = Resolve(FEntries[size_t(i)].Name);
    struct stat st;
    // Only regular files: a FIFO or a device would block the read.
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kPreviewLimit) {
      try {
        Preview->GetPicture()->LoadFromFile(path);
        const Integer w = Preview->GetPicture()->GetWidth(), h = Preview->GetPicture()->GetHeight();
        if (w > 0 && h > 0) {
          const Integer aw = FPreviewArea.Right - FPreviewArea.Left, ah = FPreviewArea.Bottom - FPreviewArea.Top;
          Integer sw = w, sh = h;
          // Shrunk to fit, keeping its proportions.
          if (sw > aw || sh > ah) {
            if (int64_t(w) * ah > int64_t(h) * aw) {
              sw = aw;
              sh = std::max<Integer>(1, Integer(int64_t(h) * aw / w));
            } else {
              sh = ah;
              sw = std::max<Integer>(1, Integer(int64_t(w) * ah / h));
            }
            Preview->SetStretch(true);
          }
          Preview->SetBounds(FPreviewArea.Left + (aw - sw) / 2, FPreviewArea.Top + (ah - sh) / 2, sw, sh);
        }
        FPreviewText = std::to_string(w) + " x " + std::to_string(h);
      } catch (const Exception& e) {
        Preview->GetPicture()->SetGraphic(nullptr);
        FPreviewText = e.Message();
      } catch (const std::exception&) {
        Preview->GetPicture()->SetGraphic(nullptr);
        FPreviewText = "(None)";
      }
    }
  }
  Invalidate();
}

void TFileDialogForm::Report(const String& Text) {
  if (Application) Application->MessageBox(Text, GetCaption(), MB_OK);
}

void TFileDialogForm::Accept(const String& Path) {
  FChosen = Path;
  SetModalResult(mrOk);
}

void TFileDialogForm::OkClick(TObject*) {
  TWinControl* active = GetActiveControl();
  if (active == FolderEdit) {
    const String typed = Trim(FolderEdit->GetText());
    if (!typed.empty() && !ChangeFolder(typed)) FolderEdit->SetText(Shown(FFolder));
    return;
  }
  const Integer selected = FileList->GetItemIndex();
  const TEntry* entry = selected >= 0 && size_t(selected) < FEntries.size() ? &FEntries[size_t(selected)] : nullptr;
  if (active == FileList && entry && entry->Folder) {
    ChangeFolder(entry->Name);
    return;
  }
  const String typed = NameEdit->GetText();
  if (Trim(typed).empty()) return;
  // The selected file's own bytes when the edit still shows it (its shown name may differ).
  String path = Resolve(entry && !entry->Folder && typed == Shown(entry->Name) ? entry->Name : typed);
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    if (ChangeFolder(path)) NameEdit->SetText("");
    return;
  }
  if (!FDialog->IsSaveDialog()) {
    if (stat(path.c_str(), &st) != 0) Report(path + "\nThe file does not exist.");
    else if (!S_ISREG(st.st_mode)) Report(path + "\nThis is not a regular file.");
    else Accept(path);
    return;
  }
  if (!FDialog->DefaultExt.empty() && !HasExtension(path)) path += "." + FDialog->DefaultExt;
  const String parent = path.substr(0, path.rfind('/') + 1);
  if (!IsFolder(parent)) {
    Report(parent + "\nThe folder does not exist.");
    return;
  }
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    if (ChangeFolder(path)) NameEdit->SetText("");
    return;
  }
  // A broken link exists too: saving would write through it.
  if (lstat(path.c_str(), &st) == 0) {
    if (!Application ||
        Application->MessageBox(path + " already exists.\nDo you want to replace it?", GetCaption(), MB_YESNO) != mrYes)
      return;
  }
  Accept(path);
}

void TFileDialogForm::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(GetFont());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  const auto label = [&](TControl* control, const String& text) {
    c->TextOut(kMargin, control->GetTop() + 3, text);
  };
  label(FolderEdit, "Look in:");
  label(NameEdit, "File name:");
  label(FilterList, "Files of type:");
  if (Preview) {
    // Centred under the picture; a long error wraps within the preview's width.
    TRect r{FPreviewArea.Left, FPreviewArea.Bottom + kMargin, FPreviewArea.Right, GetClientHeight() - kMargin};
    c->TextRect(r, FPreviewText, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  }
}

bool ExecuteFileDialogForm(TOpenDialog& Dialog) {
  if (!Application) return false;
  Owned<TFileDialogForm> form(TCustomForm::CreateNew<TFileDialogForm>(Application));
  form->Setup(Dialog);
  return form->Run();
}

TL_DEFINE_CLASS(TFileDialogForm, [](auto&) {})
