// Every data-aware editor kind, changed by each of its own ways (typing, keys, the mouse,
// clipboard, popups and their buttons, the file dialog), reaches its field: when the editor
// is left, when the record posts with the editor still focused, and a cancel drops it.
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/ExtDlgs.h"
#include "platform/gdi/PictureCodecs.h"
#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxDBEdit.h"
#include "widgets/databinding/cxDBLookupComboBox.h"

#include <cmath>
#include <functional>
#include <unistd.h>

namespace {

using enum TFieldType;
using enum TDataSetState;

String BmpBytes(Integer W, Integer H) {
  DecodedImage img;
  img.Width = W;
  img.Height = H;
  img.Pixels.assign(size_t(W) * size_t(H), 0x00FF00);
  EncodeResult e = EncodeBmp(img);
  return String(e.Bytes.begin(), e.Bytes.end());
}

class DBEditValueChange;

// One editor kind changed one way: the editor made on the form, the change the user makes
// while the editor has the focus, and the field's value afterwards (see Stored).
struct TValueChange {
  std::string Name;
  const char* Field;
  std::function<TWinControl*(DBEditValueChange&)> Make;
  std::function<void(DBEditValueChange&, TWinControl*)> Change;
  const char* Stored;
  // The list box keeps a picked item for the record's post, also when it is left.
  bool WaitsForPost = false;
};
void PrintTo(const TValueChange& c, std::ostream* os) { *os << c.Name; }

// A record of every kind of value: ID 1, NAME "Apple", PRICE 1234.5, WHEN day 45000, AT
// 12:55:00, NOTE "first", OK True, PICT a 2 x 2 picture, KIND "fruit", CUST 2 (Bob in the
// list of people: Ann 1, Bob 2, Dora 7).
class DBEditValueChange : public DatabindingTest,
                          public ::testing::WithParamInterface<TValueChange> {
 public:
  using DatabindingTest::form;
  using DatabindingTest::host;
  using DatabindingTest::Pump;
  using DatabindingTest::Type;
  void SetUp() override {
    DatabindingTest::SetUp();
    form->SetBounds(100, 100, 420, 320);
    DS = MakeTestDataSet(form, {{"ID", ftInteger},
                                {"NAME", ftString, 20},
                                {"PRICE", ftFloat},
                                {"WHEN", ftDate},
                                {"AT", ftTime},
                                {"NOTE", ftMemo},
                                {"OK", ftBoolean},
                                {"PICT", ftGraphic},
                                {"KIND", ftString, 10},
                                {"CUST", ftInteger}});
    DS->AddRecord({1, "Apple", 1234.5, TDateTime(45000), TDateTime(12 / 24.0 + 55 / 1440.0),
                   "first", true, BmpBytes(2, 2), "fruit", 2});
    Source = New<TDataSource>(form);
    Source->SetDataSet(DS);
    DS->Open();
    People = MakeTestDataSet(form, {{"ID", ftInteger}, {"Name", ftString, 20}});
    for (auto [id, name] : {std::pair{1, "Ann"}, {2, "Bob"}, {7, "Dora"}})
      People->AddRecord({id, name});
    People->Open();
    PeopleSource = New<TDataSource>(form);
    PeopleSource->SetDataSet(People);
    Neutral = New<TcxTextEdit>(form);
    Neutral->SetBounds(10, 280, 100, 21);
    Neutral->SetParent(form);
  }
  void TearDown() override {
    if (FExecutorReplaced) SetFileDialogExecutor(FOldExecutor);
    if (!FPicturePath.empty()) std::remove(FPicturePath.c_str());
    DatabindingTest::TearDown();
  }

  // An editor of class T bound to AField, at the top left of the form.
  template <class T>
  T* Add(const char* AField, Integer AWidth = 160, Integer AHeight = 21) {
    T* e = New<T>(form);
    e->SetBounds(10, 10, AWidth, AHeight);
    e->SetParent(form);
    e->GetDataBinding()->SetDataSource(Source);
    e->GetDataBinding()->SetDataField(AField);
    return e;
  }
  // The field's value as the cases name it: "null"; a date as its day number; a time as
  // hh:mm:ss; a picture as "picture WxH"; anything else as its text.
  static String Stored(TField* AField) {
    if (AField->IsNull()) return "null";
    switch (AField->DataType()) {
      case ftDate:
        return IntToStr(Integer(std::floor(AField->GetAsFloat())));
      case ftTime: {
        const Integer s = Integer(std::lround(AField->GetAsFloat() * 86400));
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(s / 3600), int(s / 60 % 60),
                      int(s % 60));
        return text;
      }
      case ftGraphic: {
        Owned<TBitmap> b(New<TBitmap>());
        Owned<TMemoryStream> m(New<TMemoryStream>());
        const String bytes = AField->GetAsString();
        m->WriteBuffer(bytes.data(), Integer(bytes.size()));
        m->SetPosition(0);
        b->LoadFromStream(*m);
        return "picture " + IntToStr(b->GetWidth()) + "x" + IntToStr(b->GetHeight());
      }
      default:
        return AField->GetAsString();
    }
  }

  void Press(int VK) {
    host().Key(VK);
    Pump();
  }
  void PressWith(int AModifier, int VK) {
    host().KeyDown(AModifier);
    host().Key(VK);
    host().KeyUp(AModifier);
    Pump();
  }
  // The whole text selected, then AText typed over it.
  void Retype(TWinControl* e, const char* AText) {
    static_cast<TcxCustomTextEdit*>(e)->SelectAll();
    Type(AText);
  }
  void ClickAt(TWinControl* c, const TRect& R) {
    host().MouseMove(c->GetHandle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    host().Click(c->GetHandle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    Pump();
  }
  // The edit button AIndex (its index among the properties' buttons).
  void ClickEditButton(TWinControl* e, Integer AIndex) {
    for (const auto& b : static_cast<TcxCustomEdit*>(e)->EditViewInfo()->ButtonsInfo)
      if (b->ButtonIndex == AIndex) {
        ClickAt(e, b->Bounds);
        return;
      }
    ADD_FAILURE() << "no button " << AIndex;
  }
  // The drop-down list of a combo box, opened with its button, and a click on the item
  // that shows AText.
  void PickFromList(TWinControl* e, const char* AText) {
    auto* c = static_cast<TcxCustomComboBox*>(e);
    ClickEditButton(c, 0);
    ASSERT_TRUE(c->GetDroppedDown());
    TcxCustomEditListBox* list = c->LookupData()->GetList();
    for (Integer i = 0; i < c->LookupData()->GetItemCount(); ++i)
      if (list->GetItemText(i) == AText) {
        ClickAt(list, list->ItemRect(i));
        return;
      }
    ADD_FAILURE() << "no item " << AText;
  }
  void PickFromList(TWinControl* e, Integer AIndex) {
    auto* c = static_cast<TcxCustomComboBox*>(e);
    ClickEditButton(c, 0);
    ASSERT_TRUE(c->GetDroppedDown());
    TcxCustomEditListBox* list = c->LookupData()->GetList();
    ClickAt(list, list->ItemRect(AIndex));
  }
  // The same list, pressed on item 0 and released over AIndex.
  void DragInList(TWinControl* e, Integer AIndex) {
    auto* c = static_cast<TcxCustomComboBox*>(e);
    ClickEditButton(c, 0);
    ASSERT_TRUE(c->GetDroppedDown());
    TcxCustomEditListBox* list = c->LookupData()->GetList();
    const TRect from = list->ItemRect(0), to = list->ItemRect(AIndex);
    host().MouseMove(list->GetHandle(), from.Left + 5, (from.Top + from.Bottom) / 2);
    host().MouseDown(list->GetHandle(), from.Left + 5, (from.Top + from.Bottom) / 2);
    host().MouseMove(list->GetHandle(), to.Left + 5, (to.Top + to.Bottom) / 2);
    host().MouseUp(list->GetHandle(), to.Left + 5, (to.Top + to.Bottom) / 2);
    Pump();
  }
  // A focus-taking popup opened with F4, AScript run inside it at its first idle point.
  void InPopup(std::function<void()> AScript) {
    host().WhenIdle(std::move(AScript));
    Press(VK_F4);
  }
  // A 5 x 3 picture on the clipboard.
  static void PictureToClipboard() {
    Owned<TBitmap> b(New<TBitmap>());
    b->SetSize(5, 3);
    Clipboard->Assign(b.get());
  }
  // The file dialog answers with a 7 x 2 picture file.
  void PictureFileChosen() {
    FPicturePath = "/tmp/tl_dbedit_change_" + std::to_string(getpid()) + ".bmp";
    Owned<TMemoryStream> s(New<TMemoryStream>());
    const String b = BmpBytes(7, 2);
    s->WriteBuffer(b.data(), Integer(b.size()));
    s->SaveToFile(FPicturePath);
    const String path = FPicturePath;
    TFileDialogExecutor old = SetFileDialogExecutor([path](TOpenDialog& d) {
      d.FileName = path;
      return true;
    });
    if (!FExecutorReplaced) FOldExecutor = std::move(old);
    FExecutorReplaced = true;
  }
  // The image's context menu command AItem, run as a click on it runs it.
  static void MenuCommand(TcxCustomImage* AImage, TcxPopupMenuItem AItem) {
    const Integer i = Ord(AItem) < 4 ? Ord(AItem) : Ord(AItem) < 6 ? Ord(AItem) + 1 : 8;
    AImage->PreparePopupMenu()->Items()->Items(i)->Click();
  }
  // The field's value put back, posted.
  void Restore(TField* AField, const Variant& AValue) {
    DS->Edit();
    AField->SetAsVariant(AValue);
    DS->Post();
    Pump();
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    Pump();
  }
  void Leave() { Focus(Neutral); }

  TMemoryDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  TMemoryDataSet* People = nullptr;
  TDataSource* PeopleSource = nullptr;
  TcxTextEdit* Neutral = nullptr;

 private:
  std::string FPicturePath;
  TFileDialogExecutor FOldExecutor;
  bool FExecutorReplaced = false;
};

using T = DBEditValueChange;
using TEditor = TWinControl*;

// Editors whose value is typed text.
template <class E>
TValueChange Typed(const char* AKind, const char* AField, const char* AText,
                   const char* AStored = nullptr) {
  return {std::string(AKind) + "_Typed", AField, [=](T& t) -> TEditor { return t.Add<E>(AField); },
          [=](T& t, TEditor e) { t.Retype(e, AText); }, AStored ? AStored : AText};
}
template <class E>
TValueChange Pasted(const char* AKind, const char* AField, const char* AText) {
  return {std::string(AKind) + "_Pasted", AField, [=](T& t) -> TEditor { return t.Add<E>(AField); },
          [=](T& t, TEditor e) {
            Clipboard->SetAsText(AText);
            static_cast<TcxCustomTextEdit*>(e)->SelectAll();
            t.Type("\x16");
          },
          AText};
}
template <class E>
TValueChange Cleared(const char* AKind, const char* AField, const char* AStored) {
  return {std::string(AKind) + "_Deleted", AField,
          [=](T& t) -> TEditor { return t.Add<E>(AField); },
          [=](T& t, TEditor e) {
            static_cast<TcxCustomTextEdit*>(e)->SelectAll();
            t.Press(VK_DELETE);
          },
          AStored};
}

// The caret put at the end and the last character taken back.
template <class E>
TValueChange Backspaced(const char* AKind, const char* AField, const char* AStored) {
  return {std::string(AKind) + "_Backspace", AField,
          [=](T& t) -> TEditor { return t.Add<E>(AField); },
          [=](T& t, TEditor e) {
            auto* edit = static_cast<TcxCustomTextEdit*>(e);
            edit->SetSelStart(Integer(VarToStr(edit->GetDisplayValue()).size()));
            t.Press(VK_BACK);
          },
          AStored};
}

TcxDBComboBox* AddCombo(T& t) {
  auto* c = t.Add<TcxDBComboBox>("NAME");
  for (const char* s : {"Apple", "Cherry", "Plum"}) c->GetProperties()->GetItems()->Add(s);
  return c;
}
TcxDBImageComboBox* AddImageCombo(T& t) {
  auto* c = t.Add<TcxDBImageComboBox>("ID");
  for (int v = 1; v <= 3; ++v) {
    TcxImageComboBoxItem* item = c->GetProperties()->GetItems()->Add();
    item->SetValue(v);
    item->SetDescription("Item " + IntToStr(v));
  }
  return c;
}
TcxDBMRUEdit* AddMRU(T& t) {
  auto* c = t.Add<TcxDBMRUEdit>("NAME");
  for (const char* s : {"Apple", "Quince", "Sloe"}) c->GetProperties()->GetLookupItems()->Add(s);
  return c;
}
TcxDBRadioGroup* AddGroup(T& t) {
  auto* g = t.Add<TcxDBRadioGroup>("ID", 160, 100);
  for (int v = 1; v <= 3; ++v) {
    auto* item = static_cast<TcxRadioGroupItem*>(g->GetProperties()->GetItems()->Add());
    item->SetCaption("Number " + IntToStr(v));
    item->SetValue(v);
  }
  return g;
}
TcxDBLookupComboBox* AddLookup(T& t) {
  auto* c = t.Add<TcxDBLookupComboBox>("CUST");
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetListSource(t.PeopleSource);
  p->SetKeyFieldNames("ID");
  p->SetListFieldNames("Name");
  p->SetImmediateDropDown(false);
  return c;
}
TcxDBListBox* AddList(T& t) {
  auto* list = New<TcxDBListBox>(t.form);
  list->SetBounds(10, 10, 160, 80);
  list->SetParent(t.form);
  list->GetItems()->Add("fruit");
  list->GetItems()->Add("nut");
  list->GetDataBinding()->SetDataSource(t.Source);
  list->GetDataBinding()->SetDataField("KIND");
  return list;
}
TcxDBBlobEdit* AddPictureBlob(T& t) { return t.Add<TcxDBBlobEdit>("PICT"); }
TcxDBImage* AddImage(T& t) { return t.Add<TcxDBImage>("PICT", 160, 100); }

TcxPopupImage* BlobImage(TEditor e) {
  return dynamic_cast<TcxPopupImage*>(static_cast<TcxDBBlobEdit*>(e)->PopupContent());
}
TcxPopupMemo* BlobMemo(TEditor e) {
  return dynamic_cast<TcxPopupMemo*>(static_cast<TcxDBBlobEdit*>(e)->PopupContent());
}
// Inside a blob popup: the OK button clicked.
void ClickOk(T& t, TEditor e) {
  TcxButton* ok = static_cast<TcxDBBlobEdit*>(e)->OkButton();
  ASSERT_NE(ok, nullptr);
  t.host().Click(ok->GetHandle(), 5, 5);
}

const std::vector<TValueChange>& Cases() {
  static const std::vector<TValueChange> cases = {
      // Text editors.
      Typed<TcxDBTextEdit>("TextEdit", "NAME", "Kiwi"),
      Pasted<TcxDBTextEdit>("TextEdit", "NAME", "Lime"),
      Cleared<TcxDBTextEdit>("TextEdit", "NAME", ""),
      Backspaced<TcxDBTextEdit>("TextEdit", "NAME", "Appl"),
      Typed<TcxDBMemo>("Memo", "NOTE", "second"),
      Pasted<TcxDBMemo>("Memo", "NOTE", "pasted"),
      Typed<TcxDBMaskEdit>("MaskEdit", "NAME", "Kiwi"),
      Pasted<TcxDBMaskEdit>("MaskEdit", "NAME", "Lime"),
      Typed<TcxDBButtonEdit>("ButtonEdit", "NAME", "Kiwi"),
      Pasted<TcxDBButtonEdit>("ButtonEdit", "NAME", "Lime"),
      Typed<TcxDBHyperLinkEdit>("HyperLinkEdit", "NAME", "Kiwi", "http://Kiwi"),
      Pasted<TcxDBHyperLinkEdit>("HyperLinkEdit", "NAME", "http://lime"),
      Typed<TcxDBPopupEdit>("PopupEdit", "NAME", "Kiwi"),
      Typed<TcxDBCurrencyEdit>("CurrencyEdit", "PRICE", "12.5"),
      Pasted<TcxDBCurrencyEdit>("CurrencyEdit", "PRICE", "77"),
      Backspaced<TcxDBCurrencyEdit>("CurrencyEdit", "PRICE", "1234"),
      // The check box.
      {"CheckBox_Clicked", "OK", [](T& t) -> TEditor { return t.Add<TcxDBCheckBox>("OK"); },
       [](T& t, TEditor e) {
         t.ClickAt(e, TRect{0, 0, e->GetWidth(), e->GetHeight()});
       },
       "False"},
      {"CheckBox_Space", "OK", [](T& t) -> TEditor { return t.Add<TcxDBCheckBox>("OK"); },
       [](T& t, TEditor) { t.Press(VK_SPACE); }, "False"},
      // Combo boxes.
      Typed<TcxDBComboBox>("ComboBox", "NAME", "Kiwi"),
      {"ComboBox_ListClicked", "NAME", [](T& t) -> TEditor { return AddCombo(t); },
       [](T& t, TEditor e) { t.PickFromList(e, "Plum"); }, "Plum"},
      {"ComboBox_ListDragged", "NAME", [](T& t) -> TEditor { return AddCombo(t); },
       [](T& t, TEditor e) { t.DragInList(e, 1); }, "Cherry"},
      {"ComboBox_ListKeys", "NAME", [](T& t) -> TEditor { return AddCombo(t); },
       [](T& t, TEditor) {
         t.Press(VK_F4);
         t.Press(VK_DOWN);
         t.Press(VK_RETURN);
       },
       "Cherry"},
      {"ComboBox_PickedAgainAfterLeaving", "NAME", [](T& t) -> TEditor { return AddCombo(t); },
       [](T& t, TEditor e) {
         t.PickFromList(e, "Plum");
         t.Leave();
         t.Focus(e);
         t.PickFromList(e, "Cherry");
       },
       "Cherry"},
      {"MRUEdit_PickedAgainAfterLeaving", "NAME", [](T& t) -> TEditor { return AddMRU(t); },
       [](T& t, TEditor e) {
         t.PickFromList(e, "Quince");
         t.Leave();
         t.Focus(e);
         t.PickFromList(e, "Sloe");
       },
       "Sloe"},
      {"ImageComboBox_PickedAgainAfterLeaving", "ID",
       [](T& t) -> TEditor { return AddImageCombo(t); },
       [](T& t, TEditor e) {
         t.PickFromList(e, 1);
         t.Leave();
         t.Focus(e);
         t.PickFromList(e, 2);
       },
       "3"},
      {"ComboBox_DownClosed", "NAME", [](T& t) -> TEditor { return AddCombo(t); },
       [](T& t, TEditor) { t.Press(VK_DOWN); }, "Cherry"},
      Typed<TcxDBMRUEdit>("MRUEdit", "NAME", "Kiwi"),
      {"MRUEdit_ListClicked", "NAME", [](T& t) -> TEditor { return AddMRU(t); },
       [](T& t, TEditor e) { t.PickFromList(e, "Sloe"); }, "Sloe"},
      {"ImageComboBox_ListClicked", "ID", [](T& t) -> TEditor { return AddImageCombo(t); },
       [](T& t, TEditor e) { t.PickFromList(e, 2); }, "3"},
      {"ImageComboBox_DownClosed", "ID", [](T& t) -> TEditor { return AddImageCombo(t); },
       [](T& t, TEditor) { t.Press(VK_DOWN); }, "2"},
      // Spinning editors.
      Typed<TcxDBSpinEdit>("SpinEdit", "ID", "42"),
      {"SpinEdit_UpKey", "ID", [](T& t) -> TEditor { return t.Add<TcxDBSpinEdit>("ID"); },
       [](T& t, TEditor) { t.Press(VK_UP); }, "2"},
      {"SpinEdit_PageUp", "ID", [](T& t) -> TEditor { return t.Add<TcxDBSpinEdit>("ID"); },
       [](T& t, TEditor) { t.Press(VK_PRIOR); }, "11"},
      {"SpinEdit_ButtonClicked", "ID", [](T& t) -> TEditor { return t.Add<TcxDBSpinEdit>("ID"); },
       [](T& t, TEditor e) { t.ClickEditButton(e, Ord(TcxSpinEditButton::sebForward)); }, "2"},
      {"SpinEdit_Wheel", "ID", [](T& t) -> TEditor { return t.Add<TcxDBSpinEdit>("ID"); },
       [](T& t, TEditor e) {
         t.host().Wheel(static_cast<TcxDBSpinEdit*>(e)->InnerTextEdit()->GetHandle(), 5, 5, 240);
         t.Pump();
       },
       "3"},
      {"TimeEdit_Typed", "AT", [](T& t) -> TEditor { return t.Add<TcxDBTimeEdit>("AT"); },
       [](T& t, TEditor e) {
         static_cast<TcxDBTimeEdit*>(e)->SetSelStart(0);
         t.Type("09");
       },
       "09:55:00"},
      {"TimeEdit_Pasted", "AT", [](T& t) -> TEditor { return t.Add<TcxDBTimeEdit>("AT"); },
       [](T& t, TEditor e) {
         Clipboard->SetAsText("09:30:00");
         static_cast<TcxDBTimeEdit*>(e)->SelectAll();
         t.Type("\x16");
       },
       "09:30:00"},
      {"TimeEdit_UpKey", "AT", [](T& t) -> TEditor { return t.Add<TcxDBTimeEdit>("AT"); },
       [](T& t, TEditor e) {
         static_cast<TcxDBTimeEdit*>(e)->SetSelStart(0);
         t.Press(VK_UP);
       },
       "13:55:00"},
      // The calculator edit.
      Typed<TcxDBCalcEdit>("CalcEdit", "PRICE", "12.5"),
      Pasted<TcxDBCalcEdit>("CalcEdit", "PRICE", "77"),
      Backspaced<TcxDBCalcEdit>("CalcEdit", "PRICE", "1234"),
      {"CalcEdit_CalculatorKeys", "PRICE",
       [](T& t) -> TEditor { return t.Add<TcxDBCalcEdit>("PRICE"); },
       [](T& t, TEditor) {
         t.InPopup([&t] {
           t.host().Text("*2");
           t.host().Key(VK_RETURN);
         });
       },
       "2469"},
      {"CalcEdit_CalculatorClicked", "PRICE",
       [](T& t) -> TEditor { return t.Add<TcxDBCalcEdit>("PRICE"); },
       [](T& t, TEditor e) {
         t.InPopup([&t, e] {
           TcxPopupCalculator* calc = static_cast<TcxDBCalcEdit*>(e)->Calculator();
           for (TcxCalcButtonKind k :
                {TcxCalcButtonKind::cbMul, TcxCalcButtonKind::cbNum2, TcxCalcButtonKind::cbEqual}) {
             const TRect r = calc->Button(k).Bounds;
             t.host().Click(calc->GetHandle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
             t.host().PumpUntilIdle();
           }
           t.host().Key(VK_RETURN);
         });
       },
       "2469"},
      {"CalcEdit_CalculatorAgainAfterLeaving", "PRICE",
       [](T& t) -> TEditor { return t.Add<TcxDBCalcEdit>("PRICE"); },
       [](T& t, TEditor e) {
         for (const char* keys : {"+1", "*2"}) {
           t.InPopup([&t, keys] {
             t.host().Text(keys);
             t.host().Key(VK_RETURN);
           });
           if (*keys == '+') {
             t.Leave();
             t.Focus(e);
           }
         }
       },
       "2471"},
      // The date edit.
      {"DateEdit_Typed", "WHEN", [](T& t) -> TEditor { return t.Add<TcxDBDateEdit>("WHEN"); },
       [](T& t, TEditor e) { t.Retype(e, "3/20/2023"); }, "45005"},
      {"DateEdit_Pasted", "WHEN", [](T& t) -> TEditor { return t.Add<TcxDBDateEdit>("WHEN"); },
       [](T& t, TEditor e) {
         Clipboard->SetAsText("3/20/2023");
         static_cast<TcxDBDateEdit*>(e)->SelectAll();
         t.Type("\x16");
       },
       "45005"},
      {"DateEdit_CalendarKeys", "WHEN",
       [](T& t) -> TEditor { return t.Add<TcxDBDateEdit>("WHEN"); },
       [](T& t, TEditor) {
         t.InPopup([&t] {
           t.host().Key(VK_RIGHT);
           t.host().Key(VK_RETURN);
         });
       },
       "45001"},
      {"DateEdit_CalendarClicked", "WHEN",
       [](T& t) -> TEditor { return t.Add<TcxDBDateEdit>("WHEN"); },
       [](T& t, TEditor e) {
         t.InPopup([&t, e] {
           TcxPopupCalendar* cal = static_cast<TcxDBDateEdit*>(e)->Calendar();
           const TRect cell = cal->CellRect(2, 3);  // Tuesday 21 March 2023
           t.host().Click(cal->GetHandle(), (cell.Left + cell.Right) / 2,
                          (cell.Top + cell.Bottom) / 2);
         });
       },
       "45006"},
      {"DateEdit_CalendarClickedAgainAfterLeaving", "WHEN",
       [](T& t) -> TEditor { return t.Add<TcxDBDateEdit>("WHEN"); },
       [](T& t, TEditor e) {
         for (Integer col : {4, 2}) {
           t.InPopup([&t, e, col] {
             TcxPopupCalendar* cal = static_cast<TcxDBDateEdit*>(e)->Calendar();
             const TRect cell = cal->CellRect(col, 3);  // 23, then 21 March 2023
             t.host().Click(cal->GetHandle(), (cell.Left + cell.Right) / 2,
                            (cell.Top + cell.Bottom) / 2);
           });
           if (col == 4) {
             t.Leave();
             t.Focus(e);
           }
         }
       },
       "45006"},
      {"DateEdit_ClearButton", "WHEN", [](T& t) -> TEditor { return t.Add<TcxDBDateEdit>("WHEN"); },
       [](T& t, TEditor e) {
         t.InPopup([&t, e] {
           TcxButton* clear =
               static_cast<TcxDBDateEdit*>(e)->Calendar()->DateButton(TDateButton::btnClear);
           t.host().Click(clear->GetHandle(), 5, 5);
         });
       },
       "null"},
      // The blob edit: a memo and a picture in its popup.
      {"BlobEdit_MemoOk", "NOTE", [](T& t) -> TEditor { return t.Add<TcxDBBlobEdit>("NOTE"); },
       [](T& t, TEditor e) {
         t.InPopup([&t, e] {
           t.host().Text("typed");
           t.host().PumpUntilIdle();
           ClickOk(t, e);
         });
       },
       "typed"},
      {"BlobEdit_MemoOkAgainAfterLeaving", "NOTE",
       [](T& t) -> TEditor { return t.Add<TcxDBBlobEdit>("NOTE"); },
       [](T& t, TEditor e) {
         for (const char* typed : {"once", "twice"}) {
           t.InPopup([&t, e, typed] {
             t.host().Text(typed);
             t.host().PumpUntilIdle();
             ClickOk(t, e);
           });
           if (*typed == 'o') {
             t.Leave();
             t.Focus(e);
           }
         }
       },
       "twice"},
      {"BlobEdit_MemoCtrlEnter", "NOTE",
       [](T& t) -> TEditor { return t.Add<TcxDBBlobEdit>("NOTE"); },
       [](T& t, TEditor) {
         t.InPopup([&t] {
           t.host().Text("typed");
           t.host().KeyDown(VK_CONTROL);
           t.host().Key(VK_RETURN);
           t.host().KeyUp(VK_CONTROL);
         });
       },
       "typed"},
      {"BlobEdit_MemoClosedByF4", "NOTE",
       [](T& t) -> TEditor { return t.Add<TcxDBBlobEdit>("NOTE"); },
       [](T& t, TEditor) {
         t.InPopup([&t] {
           t.host().Text("typed");
           t.host().Key(VK_F4);
         });
       },
       "typed"},
      {"BlobEdit_PicturePastedOk", "PICT", [](T& t) -> TEditor { return AddPictureBlob(t); },
       [](T& t, TEditor e) {
         T::PictureToClipboard();
         t.InPopup([&t, e] {
           ASSERT_NE(BlobImage(e), nullptr);
           t.host().Char(22);
           t.host().PumpUntilIdle();
           ClickOk(t, e);
         });
       },
       "picture 5x3"},
      {"BlobEdit_PictureDeletedOk", "PICT", [](T& t) -> TEditor { return AddPictureBlob(t); },
       [](T& t, TEditor e) {
         t.InPopup([&t, e] {
           ASSERT_NE(BlobImage(e), nullptr);
           T::MenuCommand(BlobImage(e), TcxPopupMenuItem::pmiDelete);
           t.host().PumpUntilIdle();
           ClickOk(t, e);
         });
       },
       "null"},
      {"BlobEdit_PictureLoaded", "PICT", [](T& t) -> TEditor { return AddPictureBlob(t); },
       [](T& t, TEditor e) {
         t.PictureFileChosen();
         t.InPopup([e] {
           ASSERT_NE(BlobImage(e), nullptr);
           T::MenuCommand(BlobImage(e), TcxPopupMenuItem::pmiLoad);
         });
       },
       "picture 7x2"},
      // The image.
      {"Image_CtrlV", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor) {
         T::PictureToClipboard();
         t.Type("\x16");
       },
       "picture 5x3"},
      {"Image_ShiftInsert", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor) {
         T::PictureToClipboard();
         t.PressWith(VK_SHIFT, VK_INSERT);
       },
       "picture 5x3"},
      {"Image_PasteMessage", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor e) {
         T::PictureToClipboard();
         SendMessageA(e->GetHandle(), WM_PASTE, 0, 0);
         t.Pump();
       },
       "picture 5x3"},
      {"Image_MenuPaste", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor e) {
         T::PictureToClipboard();
         T::MenuCommand(static_cast<TcxDBImage*>(e), TcxPopupMenuItem::pmiPaste);
         t.Pump();
       },
       "picture 5x3"},
      {"Image_PastedByTheProgram", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor e) {
         T::PictureToClipboard();
         static_cast<TcxDBImage*>(e)->PasteFromClipboard();
         t.Pump();
       },
       "picture 5x3"},
      {"Image_LoadedByTheProgram", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor e) {
         t.PictureFileChosen();
         static_cast<TcxDBImage*>(e)->LoadFromFile();
         t.Pump();
       },
       "picture 7x2"},
      {"Image_CtrlX", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor) { t.Type("\x18"); }, "null"},
      {"Image_MenuDelete", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor e) {
         T::MenuCommand(static_cast<TcxDBImage*>(e), TcxPopupMenuItem::pmiDelete);
         t.Pump();
       },
       "null"},
      {"Image_MenuLoad", "PICT", [](T& t) -> TEditor { return AddImage(t); },
       [](T& t, TEditor e) {
         t.PictureFileChosen();
         T::MenuCommand(static_cast<TcxDBImage*>(e), TcxPopupMenuItem::pmiLoad);
         t.Pump();
       },
       "picture 7x2"},
      // The radio group.
      {"RadioGroup_Clicked", "ID", [](T& t) -> TEditor { return AddGroup(t); },
       [](T& t, TEditor e) {
         TWinControl* b = static_cast<TcxDBRadioGroup*>(e)->Buttons(2);
         t.ClickAt(b, TRect{0, 0, 40, b->GetHeight()});
       },
       "3"},
      {"RadioGroup_DownKey", "ID", [](T& t) -> TEditor { return AddGroup(t); },
       [](T& t, TEditor) { t.Press(VK_DOWN); }, "2"},
      // The lookup combo box.
      {"LookupComboBox_Typed", "CUST", [](T& t) -> TEditor { return AddLookup(t); },
       [](T& t, TEditor) { t.Type("d"); }, "7"},
      {"LookupComboBox_TypedAgainAfterLeaving", "CUST",
       [](T& t) -> TEditor { return AddLookup(t); },
       [](T& t, TEditor e) {
         t.Type("a");
         t.Leave();
         t.Focus(e);
         t.Type("d");
       },
       "7"},
      {"LookupComboBox_ListKeysAgainAfterLeaving", "CUST",
       [](T& t) -> TEditor { return AddLookup(t); },
       [](T& t, TEditor e) {
         for (int key : {VK_F4, VK_UP, VK_RETURN}) t.Press(key);
         t.Leave();
         t.Focus(e);
         for (int key : {VK_F4, VK_DOWN, VK_DOWN, VK_RETURN}) t.Press(key);
       },
       "7"},
      {"LookupComboBox_DownClosed", "CUST", [](T& t) -> TEditor { return AddLookup(t); },
       [](T& t, TEditor) { t.Press(VK_DOWN); }, "7"},
      {"LookupComboBox_ListKeys", "CUST", [](T& t) -> TEditor { return AddLookup(t); },
       [](T& t, TEditor) {
         t.Press(VK_F4);
         t.Press(VK_DOWN);
         t.Press(VK_RETURN);
       },
       "7"},
      // The list box.
      {"ListBox_Clicked", "KIND", [](T& t) -> TEditor { return AddList(t)->InnerListBox(); },
       [](T& t, TEditor e) {
         auto* list = static_cast<TcxDBListBox*>(e->GetParent());
         t.ClickAt(e, list->ItemRect(1));
       },
       "nut", true},
      {"ListBox_DownKey", "KIND", [](T& t) -> TEditor { return AddList(t)->InnerListBox(); },
       [](T& t, TEditor) { t.Press(VK_DOWN); }, "nut", true},
  };
  return cases;
}

TEST_P(DBEditValueChange, ReachesTheFieldWhenLeftOrPostedAndACancelDropsIt) {
  const TValueChange& c = GetParam();
  Show();
  TField* f = DS->FieldByName(c.Field);
  const Variant original = f->GetAsVariant();
  const String shown = Stored(f);
  ASSERT_NE(shown, String(c.Stored));
  // Each step on a new editor, changed from the stored value; the last on the editor of the
  // step before.
  auto change = [&] {
    TEditor e = c.Make(*this);
    Pump();
    Focus(e);
    c.Change(*this, e);
    return e;
  };
  auto drop = [&](TEditor e) {
    while (e->GetParent() != form) e = e->GetParent();
    e->Free();
    Pump();
  };

  // Left: the field has the value at once, and the record posts it.
  TEditor e = change();
  Leave();
  EXPECT_EQ(DS->State(), dsEdit) << "left";
  EXPECT_EQ(Stored(f), c.WaitsForPost ? shown : String(c.Stored)) << "left";
  DS->Post();
  Pump();
  EXPECT_EQ(Stored(f), c.Stored) << "left, posted";
  drop(e);
  Restore(f, original);

  // Posted while the editor still has the focus.
  e = change();
  EXPECT_EQ(DS->State(), dsEdit) << "focused";
  DS->Post();
  Pump();
  EXPECT_EQ(Stored(f), c.Stored) << "posted focused";
  drop(e);
  Restore(f, original);

  // A cancel after leaving puts the field back.
  e = change();
  Leave();
  DS->Cancel();
  Pump();
  EXPECT_EQ(Stored(f), shown) << "cancelled";
  EXPECT_EQ(DS->State(), dsBrowse);

  // The same editor, changed again the same way after the cancel, stores what a new one
  // would: nothing of the cancelled change is left in it. (A click at the same place again
  // is a second click, not a double click.)
  host().Advance(GetDoubleClickTime() + 1);
  Focus(e);
  c.Change(*this, e);
  Leave();
  DS->Post();
  Pump();
  EXPECT_EQ(Stored(f), c.Stored) << "changed again after the cancel";
}

INSTANTIATE_TEST_SUITE_P(EveryKindEveryWay, DBEditValueChange, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<TValueChange>& i) {
                           return i.param.Name;
                         });

}  // namespace

namespace {

// The two cases as a user meets them, each left with Tab: a blob edit changed in its popup,
// and an image given a picture by paste.
TEST_F(DBEditValueChange, AChangeInTheBlobPopupIsStoredWhenTabbedAway) {
  auto* blob = Add<TcxDBBlobEdit>("NOTE");
  Show();
  Focus(blob);
  InPopup([&] {
    BlobMemo(blob)->SelectAll();
    host().Text("typed");
    host().PumpUntilIdle();
    ClickOk(*this, blob);
  });
  Press(VK_TAB);
  EXPECT_TRUE(Neutral->IsFocused());
  EXPECT_EQ(Stored(DS->FieldByName("NOTE")), "typed");
  DS->Post();
  EXPECT_EQ(Stored(DS->FieldByName("NOTE")), "typed");
}

TEST_F(DBEditValueChange, APastedPictureIsStoredWhenTabbedAway) {
  auto* image = Add<TcxDBImage>("PICT", 160, 100);
  Show();
  Focus(image);
  PictureToClipboard();
  Type("\x16");
  Press(VK_TAB);
  EXPECT_TRUE(Neutral->IsFocused());
  EXPECT_EQ(Stored(DS->FieldByName("PICT")), "picture 5x3");
  DS->Post();
  EXPECT_EQ(Stored(DS->FieldByName("PICT")), "picture 5x3");
}

}  // namespace

namespace {

// With ImmediatePost each choice from a drop-down is in the field as its popup closes, the
// editor still focused; a second choice too; Escape in the open popup writes nothing, and the
// record posts the last choice.
TEST_F(DBEditValueChange, WithImmediatePostEachChoiceIsInTheFieldAsThePopupCloses) {
  Show();
  struct Kind {
    const char* Name;
    const char* Field;
    std::function<TcxCustomDropDownEdit*()> Make;
    std::function<void(TcxCustomDropDownEdit*, int)> Choose;  // the first or second choice
    const char* Stored[2];
  };
  auto pickAt = [this](Integer AIndex) {
    return [this, AIndex](TcxCustomDropDownEdit* e, int) { PickFromList(e, AIndex); };
  };
  const Kind kinds[] = {
      {"combo box",
       "NAME",
       [this] { return AddCombo(*this); },
       [this](TcxCustomDropDownEdit* e, int n) { PickFromList(e, n == 0 ? "Plum" : "Cherry"); },
       {"Plum", "Cherry"}},
      {"MRU edit",
       "NAME",
       [this] { return AddMRU(*this); },
       [this](TcxCustomDropDownEdit* e, int n) { PickFromList(e, n == 0 ? "Sloe" : "Quince"); },
       {"Sloe", "Quince"}},
      {"image combo box",
       "ID",
       [this] { return AddImageCombo(*this); },
       [pickAt](TcxCustomDropDownEdit* e, int n) { pickAt(n == 0 ? 2 : 1)(e, n); },
       {"3", "2"}},
      {"date edit",
       "WHEN",
       [this] { return Add<TcxDBDateEdit>("WHEN"); },
       [this](TcxCustomDropDownEdit* e, int n) {
         InPopup([this, e, n] {
           TcxPopupCalendar* cal = static_cast<TcxDBDateEdit*>(e)->Calendar();
           const TRect cell = cal->CellRect(n == 0 ? 2 : 4, 3);  // 21, then 23 March 2023
           host().Click(cal->GetHandle(), (cell.Left + cell.Right) / 2,
                        (cell.Top + cell.Bottom) / 2);
         });
       },
       {"45006", "45008"}},
      {"calculator edit",
       "PRICE",
       [this] { return Add<TcxDBCalcEdit>("PRICE"); },
       [this](TcxCustomDropDownEdit*, int n) {
         InPopup([this, n] {
           host().Text(n == 0 ? "*2" : "+1");
           host().Key(VK_RETURN);
         });
       },
       {"2469", "2470"}},
      {"blob edit",
       "NOTE",
       [this] { return Add<TcxDBBlobEdit>("NOTE"); },
       [this](TcxCustomDropDownEdit* e, int n) {
         InPopup([this, e, n] {
           BlobMemo(e)->SelectAll();
           host().Text(n == 0 ? "once" : "twice");
           host().PumpUntilIdle();
           ClickOk(*this, e);
         });
       },
       {"once", "twice"}},
      {"lookup combo box",
       "CUST",
       [this] { return AddLookup(*this); },
       [this](TcxCustomDropDownEdit*, int n) {
         for (int key : {VK_F4, n == 0 ? VK_DOWN : VK_UP, VK_RETURN}) Press(key);
       },
       {"7", "2"}},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.Name);
    TField* f = DS->FieldByName(k.Field);
    const Variant original = f->GetAsVariant();
    const String shown = Stored(f);
    TcxCustomDropDownEdit* e = k.Make();
    e->GetActiveProperties()->SetImmediatePost(true);
    Pump();
    Focus(e);
    for (int n : {0, 1}) {
      k.Choose(e, n);
      EXPECT_FALSE(e->GetDroppedDown());
      EXPECT_EQ(Stored(f), k.Stored[n]) << n;
      host().Advance(GetDoubleClickTime() + 1);
    }
    // Opened and cancelled: nothing is written.
    if (e->ActiveProperties()->IsPopupWindowCapturingFocus()) {
      InPopup([this] { host().Key(VK_ESCAPE); });
    } else {
      Press(VK_F4);
      EXPECT_TRUE(e->GetDroppedDown());
      Press(VK_DOWN);
      Press(VK_ESCAPE);
    }
    EXPECT_FALSE(e->GetDroppedDown());
    EXPECT_EQ(Stored(f), k.Stored[1]);
    Leave();
    EXPECT_EQ(Stored(f), k.Stored[1]);
    while (e->GetParent() != form) e = static_cast<TcxCustomDropDownEdit*>(e->GetParent());
    e->Free();
    Pump();
    DS->Post();
    EXPECT_EQ(Stored(f), k.Stored[1]);
    Restore(f, original);
    EXPECT_EQ(Stored(f), shown);
  }
}

}  // namespace
