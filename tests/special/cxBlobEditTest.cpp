// The blob editor: the kind it resolves, the text and icon it shows for a value, its popup
// (memo or picture, OK and Cancel or Close) and which ways of closing save the content.
#include "widgets/special/cxBlobEdit.h"

#include "classlib/core/FormText.h"
#include "platform/gdi/PictureCodecs.h"
#include "tests/editors/DropDownTestSupport.h"

namespace {

using enum TcxBlobEditKind;

class TStorageProvider : public TcxCustomEditDefaultValuesProvider {
  TL_CLASS(TStorageProvider, TcxCustomEditDefaultValuesProvider)
 public:
  using TcxCustomEditDefaultValuesProvider::TcxCustomEditDefaultValuesProvider;
  bool Storage = true;
  bool Data = true;
  TcxBlobKind Kind = TcxBlobKind::bkGraphic;
  bool IsDataStorage() override { return Storage; }
  bool IsDataAvailable() override { return Data; }
  TcxBlobKind DefaultBlobKind() override { return Kind; }
};

class TChangeCounter : public TObject {
 public:
  void Notice(TObject*) { ++Count; }
  int Count = 0;
};

}  // namespace

TL_DEFINE_CLASS(TStorageProvider)

namespace {

class BlobEditTest : public DropDownTest {
 protected:
  void SetUp() override {
    DropDownTest::SetUp();
    cxBlobEdit::Initialize();
  }
  void TearDown() override {
    if (form) form->DestroyComponents();
    host().PumpUntilIdle();
    cxBlobEdit::Finalize();
    DropDownTest::TearDown();
  }
  TcxBlobEdit* AddBlob(TcxBlobEditKind Kind) {
    auto* e = New<TcxBlobEdit>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    e->GetProperties()->SetBlobEditKind(Kind);
    events.Listen(e->GetProperties());
    host().PumpUntilIdle();
    e->SetFocus();
    host().PumpUntilIdle();
    return e;
  }
  // Opens the popup with F4, types Typed into the memo, then closes with CloseKey.
  void EditMemo(TcxBlobEdit* e, const char* Typed, int CloseKey, bool Alt = false) {
    host().WhenIdle([=, this] {
      for (const char* s = Typed; *s; ++s) host().Char(Byte(*s));
      host().PumpUntilIdle();
      if (Alt) host().KeyDown(VK_MENU);
      host().Key(CloseKey);
      if (Alt) host().KeyUp(VK_MENU);
    });
    Key(VK_F4);
    (void)e;
  }
};

TEST_F(BlobEditTest, TheKindComesFromADataStorageProviderOnly) {
  Owned<TcxBlobEditProperties> p(New<TcxBlobEditProperties>(nullptr));
  EXPECT_EQ(p->ResolveKind(), bekBlob);   // no provider
  EXPECT_EQ(p->GetButtons()->Items(0)->GetKind(), TcxEditButtonKind::bkEllipsis);

  Owned<TcxBlobEditProperties> q(New<TcxBlobEditProperties>(nullptr));
  Owned<TStorageProvider> provider(New<TStorageProvider>(nullptr));
  q->SetIDefaultValuesProvider(provider.get());
  provider->Storage = false;
  EXPECT_EQ(q->ResolveKind(), bekAuto);
  provider->Storage = true;
  EXPECT_EQ(q->ResolveKind(), bekPict);
  EXPECT_EQ(q->GetButtons()->Items(0)->GetKind(), TcxEditButtonKind::bkDown);
  q->SetBlobEditKind(bekAuto);
  provider->Kind = TcxBlobKind::bkNone;
  EXPECT_EQ(q->ResolveKind(), bekBlob);
  q->SetIDefaultValuesProvider(nullptr);
}

// A storage without data yet (a binding made before its data set opens) settles nothing: the
// kind follows the data once it is there.
TEST_F(BlobEditTest, AStorageWithoutDataLeavesTheKindOpen) {
  Owned<TcxBlobEditProperties> p(New<TcxBlobEditProperties>(nullptr));
  Owned<TStorageProvider> provider(New<TStorageProvider>(nullptr));
  p->SetIDefaultValuesProvider(provider.get());
  provider->Data = false;
  provider->Kind = TcxBlobKind::bkNone;
  EXPECT_EQ(p->ResolveKind(), bekBlob);
  EXPECT_EQ(p->GetBlobEditKind(), bekAuto);
  EXPECT_EQ(p->GetButtons()->Items(0)->GetKind(), TcxEditButtonKind::bkEllipsis);
  provider->Data = true;
  provider->Kind = TcxBlobKind::bkMemo;
  EXPECT_EQ(p->ResolveKind(), bekMemo);
  EXPECT_EQ(p->GetBlobEditKind(), bekMemo);
  EXPECT_EQ(p->GetButtons()->Items(0)->GetKind(), TcxEditButtonKind::bkDown);
  p->SetIDefaultValuesProvider(nullptr);
}

// Resolved inside an update bracket, the kind is settled quietly and the bracket's end still
// reports the changes, as do the changes after it.
TEST_F(BlobEditTest, AKindResolvedInsideAnUpdateLeavesTheChangeNoticesOn) {
  Owned<TcxBlobEditProperties> p(New<TcxBlobEditProperties>(nullptr));
  Owned<TStorageProvider> provider(New<TStorageProvider>(nullptr));
  TChangeCounter counter;
  p->SetIDefaultValuesProvider(provider.get());
  p->OnPropertiesChanged = {&counter, &TChangeCounter::Notice};
  p->BeginUpdate();
  EXPECT_EQ(p->ResolveKind(), bekPict);
  p->EndUpdate();
  EXPECT_EQ(counter.Count, 1);
  p->SetReadOnly(true);
  EXPECT_EQ(counter.Count, 2);
  p->SetIDefaultValuesProvider(nullptr);
}

TEST_F(BlobEditTest, TextAndIconOfAValueFollowThePaintStyle) {
  Owned<TcxBlobEditProperties> p(New<TcxBlobEditProperties>(nullptr));
  p->SetBlobEditKind(bekMemo);
  p->SetBlobPaintStyle(TcxBlobPaintStyle::bpsDefault);
  EXPECT_EQ(p->GetBlobText(Variant::MakeNull()), "(memo)");
  EXPECT_EQ(p->GetBlobText(Variant(String("x"))), "(MEMO)");
  EXPECT_EQ(p->GetBlobText(Variant(String("ab\r\ncd")), true), "ab\r\ncd");
  EXPECT_EQ(p->GetIconIndex(Variant(String("x"))), -1);
  p->SetBlobPaintStyle(TcxBlobPaintStyle::bpsText);
  EXPECT_EQ(p->GetBlobText(Variant(String("ab\r\ncd"))), "ab");
  EXPECT_TRUE(p->CompareDisplayValues(Variant(String("a")), Variant(String("a"))));
  EXPECT_FALSE(p->CompareDisplayValues(Variant(String("a")), Variant(String("A"))));
  String text;
  p->GetDisplayText(Variant(String("ab\ncd")), text);
  EXPECT_EQ(text, "ab");
  p->GetDisplayText(Variant(String("ab\ncd")), text, true);
  EXPECT_EQ(text, "ab\ncd");

  p->SetBlobEditKind(bekPict);
  p->SetBlobPaintStyle(TcxBlobPaintStyle::bpsDefault);
  EXPECT_EQ(p->GetBlobText(Variant::MakeNull()), "(picture)");
  EXPECT_FALSE(p->CompareDisplayValues(Variant(String("a")), Variant(String("a"))));
  p->SetBlobPaintStyle(TcxBlobPaintStyle::bpsIcon);
  EXPECT_EQ(p->GetIconIndex(Variant::MakeNull()), 4);
  EXPECT_EQ(p->GetIconIndex(Variant(String())), 4);
  EXPECT_EQ(p->GetIconIndex(Variant(String("BM"))), 5);
  EXPECT_EQ(p->GetBlobText(Variant(String("BM"))), "");
  p->GetDisplayText(Variant(String("BM")), text);
  EXPECT_EQ(text, "(PICTURE)");
  p->SetBlobEditKind(bekOle);
  EXPECT_EQ(p->GetIconIndex(Variant(String("x"))), 7);
  p->GetDisplayText(Variant(String("x")), text);
  EXPECT_EQ(text, "OLE");
  p->GetDisplayText(Variant::MakeNull(), text);
  EXPECT_EQ(text, "");
  p->SetBlobEditKind(bekBlob);
  EXPECT_EQ(p->GetIconIndex(Variant::MakeNull()), 0);
}

TEST_F(BlobEditTest, IconsAndMenuImagesComeFromTheResourcesMasked) {
  ASSERT_NE(cxBlobEditIcons(), nullptr);
  EXPECT_EQ(cxBlobEditIcons()->Count(), 8);
  EXPECT_EQ(cxBlobEditIcons()->GetWidth(), 16);
  ASSERT_NE(cxImageMenuImages(), nullptr);
  EXPECT_EQ(cxImageMenuImages()->Count(), 6);
  // The mask colour lets the background through; the drawing does not.
  Owned<TBitmap> b(New<TBitmap>());
  b->SetSize(16, 16);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, 16, 16));
  cxBlobEditIcons()->Draw(b->Canvas(), 0, 0, 3);   // a filled memo
  EXPECT_EQ(b->Canvas()->GetPixel(0, 0), clWhite);
  EXPECT_EQ(b->Canvas()->GetPixel(2, 1), clBlack);
}

TEST_F(BlobEditTest, TheFirstDropDownOpensAMemoWithTheValueAndBothButtons) {
  TcxBlobEdit* e = AddBlob(bekMemo);
  e->SetEditValue(Variant(String("hello")));
  bool shown = false;
  String memoText, ok, cancel;
  host().WhenIdle([&] {
    shown = e->GetDroppedDown();
    if (auto* m = dynamic_cast<TcxPopupMemo*>(e->PopupContent())) memoText = m->EditValue().AsString();
    ok = e->OkButton() ? e->OkButton()->GetCaption() : "";
    cancel = e->CancelButton() ? e->CancelButton()->GetCaption() : "";
    host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_TRUE(shown);
  EXPECT_EQ(memoText, "hello");
  EXPECT_EQ(ok, "&OK");
  EXPECT_EQ(cancel, "&Cancel");
  // The other kinds never drop down.
  TcxBlobEdit* b = AddBlob(bekBlob);
  EXPECT_FALSE(b->CanDropDown());
}

TEST_F(BlobEditTest, AReadOnlyBlobShowsOnlyClose) {
  TcxBlobEdit* e = AddBlob(bekMemo);
  e->GetProperties()->SetReadOnly(true);
  e->SetEditValue(Variant(String("fixed")));
  bool readOnly = false;
  TcxButton* ok = nullptr;
  String cancel;
  host().WhenIdle([&] {
    auto* m = dynamic_cast<TcxPopupMemo*>(e->PopupContent());
    readOnly = m && m->GetProperties()->GetReadOnly();
    ok = e->OkButton();
    cancel = e->CancelButton() ? e->CancelButton()->GetCaption() : "";
    host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_TRUE(readOnly);
  EXPECT_EQ(ok, nullptr);
  EXPECT_EQ(cancel, "&Close");
}

TEST_F(BlobEditTest, EscapeNeverSavesF4SavesOnlyWithAlwaysSaveData) {
  TcxBlobEdit* e = AddBlob(bekMemo);
  e->SetEditValue(Variant(String("a")));
  {
    bool focused = false;
    String typed;
    host().WhenIdle([&] {
      auto* m = dynamic_cast<TcxPopupMemo*>(e->PopupContent());
      focused = m && m->InnerMemo() && GetFocus() == m->InnerMemo()->GetHandle();
      host().Char('q');
      host().PumpUntilIdle();
      if (m) typed = m->InnerMemo()->GetText();
      host().Key(VK_ESCAPE);
    });
    Key(VK_F4);
    EXPECT_TRUE(focused);
    EXPECT_EQ(typed, "q");   // the text opens selected
    EXPECT_EQ(e->EditValue().AsString(), "a");
  }
  EditMemo(e, "b", VK_ESCAPE);
  EXPECT_EQ(e->EditValue().AsString(), "a");
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EditMemo(e, "c", VK_F4);
  EXPECT_NE(e->EditValue().AsString(), "a");
  EXPECT_NE(e->EditValue().AsString().find('c'), String::npos);
  EXPECT_TRUE(e->GetEditModified());

  e->GetProperties()->SetAlwaysSaveData(false);
  const String before = e->EditValue().AsString();
  EditMemo(e, "d", VK_F4);
  EXPECT_EQ(e->EditValue().AsString(), before);
  // Ctrl+Enter is the OK of a memo that wants its returns.
  host().WhenIdle([&] {
    host().Char('e');
    host().PumpUntilIdle();
    host().KeyDown(VK_CONTROL);
    host().Key(VK_RETURN);
    host().KeyUp(VK_CONTROL);
  });
  Key(VK_F4);
  EXPECT_NE(e->EditValue().AsString().find('e'), String::npos);
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
}

// Each opening starts as the first: the memo shows the value with its whole text selected,
// whatever caret the last opening left and whatever value was set since.
TEST_F(BlobEditTest, EveryOpeningStartsWithTheWholeTextSelected) {
  TcxBlobEdit* e = AddBlob(bekMemo);
  e->SetEditValue(Variant(String("one")));
  auto typedAfter = [&] {
    String typed;
    host().WhenIdle([&] {
      host().Char('q');
      host().PumpUntilIdle();
      if (auto* m = dynamic_cast<TcxPopupMemo*>(e->PopupContent()))
        typed = m->InnerMemo()->GetText();
      host().Key(VK_ESCAPE);
    });
    Key(VK_F4);
    return typed;
  };
  EXPECT_EQ(typedAfter(), "q");
  // The caret left at the end of the text by the last opening.
  host().WhenIdle([&] {
    host().Key(VK_END);
    host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_EQ(typedAfter(), "q");
  // A value set by the program since.
  e->SetEditValue(Variant(String("two")));
  EXPECT_EQ(typedAfter(), "q");
  EXPECT_EQ(e->EditValue().AsString(), "two");
}

TEST_F(BlobEditTest, AutoReplaceTakesTheWholeMemoWithTheFirstCharacter) {
  TcxBlobEdit* e = AddBlob(bekMemo);
  e->GetProperties()->SetMemoAutoReplace(true);
  e->SetEditValue(Variant(String("old text")));
  String typed;
  host().WhenIdle([&] {
    auto* m = dynamic_cast<TcxPopupMemo*>(e->PopupContent());
    host().KeyDown(VK_END);
    host().KeyUp(VK_END);
    host().Char('n');
    host().Char('w');
    host().PumpUntilIdle();
    if (m) typed = m->InnerMemo()->GetText();
    host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_EQ(typed, "nw");
  EXPECT_EQ(e->EditValue().AsString(), "old text");
}

TEST_F(BlobEditTest, APicturePopupFitsThePictureAndBrokenBytesStayTheValue) {
  TcxBlobEdit* e = AddBlob(bekPict);
  EncodeResult bmp = EncodeBmp([] {
    DecodedImage img;
    img.Width = 30;
    img.Height = 20;
    img.Pixels.assign(600, 0xFF00FF);
    return img;
  }());
  e->SetEditValue(Variant(String(bmp.Bytes.begin(), bmp.Bytes.end())));
  TSize size{};
  host().WhenIdle([&] {
    size = e->GetPopupWindowClientPreferredSize();
    host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_EQ(size.cx, std::max(34, e->GetProperties()->GetPopupMinWidth()));
  EXPECT_EQ(size.cy, 24 + e->ButtonPanelHeight());

  const String broken = String("BM\0\0junk", 8);
  e->SetEditValue(Variant(broken));
  bool empty = false;
  host().WhenIdle([&] {
    auto* img = dynamic_cast<TcxPopupImage*>(e->PopupContent());
    empty = img && !img->GetPicture()->GetGraphic();
    host().Key(VK_F4);   // closes; nothing was changed, so nothing is saved
  });
  Key(VK_F4);
  EXPECT_TRUE(empty);
  EXPECT_EQ(e->EditValue().AsString(), broken);
}

}  // namespace

namespace {

TEST_F(BlobEditTest, TextIsTheWholeMemoAndIsPublished) {
  TcxBlobEdit* e = AddBlob(bekMemo);
  e->GetProperties()->SetBlobPaintStyle(TcxBlobPaintStyle::bpsDefault);
  e->SetBlobEditText("one\r\ntwo");
  EXPECT_EQ(e->EditValue().AsString(), "one\r\ntwo");
  EXPECT_EQ(e->GetBlobEditText(), "one\r\ntwo");
  const char* text =
      "object dlg: TForm\n"
      "  object beNotes: TcxBlobEdit\n"
      "    Properties.BlobEditKind = bekMemo\n"
      "    Text = 'first line'\n"
      "  end\n"
      "end\n";
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(text, *binary);
  binary->SetPosition(0);
  TForm* dialog = TForm::CreateNew(Application);
  binary->ReadComponent(dialog);
  auto* b = dynamic_cast<TcxBlobEdit*>(dialog->FindComponent("beNotes"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(VarToStr(b->EditValue()), "first line");
  dialog->Free();
  // A picture has no text, and text does not become its value.
  TcxBlobEdit* p = AddBlob(bekPict);
  p->SetBlobEditText("abc");
  EXPECT_EQ(p->GetBlobEditText(), "");
  EXPECT_TRUE(VarIsNull(p->EditValue()) || VarIsEmpty(p->EditValue()));
}

}  // namespace

namespace {

TEST_F(BlobEditTest, DefaultsAndAnEmptyPictureClassSurviveAStream) {
  TcxBlobEdit* e = AddBlob(bekAuto);
  TcxCustomBlobEditProperties* p = e->GetProperties();
  EXPECT_EQ(p->GetPopupMinWidth(), 160);
  EXPECT_EQ(p->GetPopupMinHeight(), 140);
  EXPECT_EQ(p->GetButtons()->Items(0)->GetKind(), TcxEditButtonKind::bkEllipsis);
  p->SetBlobEditKind(bekPict);
  EXPECT_EQ(p->GetButtons()->Items(0)->GetKind(), TcxEditButtonKind::bkDown);
  EXPECT_EQ(p->GetPictureGraphicClassName(), "TBitmap");
  EXPECT_FALSE(p->IsPictureGraphicClassNameStored());
  p->SetPictureGraphicClassName("TNoSuchGraphic");
  EXPECT_EQ(p->GetPictureGraphicClassName(), "TBitmap");
  p->SetPictureGraphicClassName("");
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(form);
  const String text(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  EXPECT_NE(text.find("IsPictureGraphicClassNameEmpty"), String::npos);
  const char* description =
      "object dlg: TForm\n"
      "  object bePhoto: TcxBlobEdit\n"
      "    Properties.BlobEditKind = bekPict\n"
      "    Properties.IsPictureGraphicClassNameEmpty = True\n"
      "  end\n"
      "end\n";
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(description, *binary);
  binary->SetPosition(0);
  TForm* dialog = TForm::CreateNew(Application);
  binary->ReadComponent(dialog);
  auto* b = dynamic_cast<TcxBlobEdit*>(dialog->FindComponent("bePhoto"));
  ASSERT_NE(b, nullptr);
  EXPECT_FALSE(b->GetProperties()->GetPictureGraphicClass());
  dialog->Free();
  // Assign copies the class and the kind with its button.
  Owned<TcxBlobEditProperties> c(New<TcxBlobEditProperties>(nullptr));
  c->Assign(p);
  EXPECT_FALSE(c->GetPictureGraphicClass());
  EXPECT_EQ(c->GetButtons()->Items(0)->GetKind(), TcxEditButtonKind::bkDown);
}

}  // namespace

namespace {

// Only a memo is read and written as text; pictures, objects and raw bytes go as values, so no
// text handler of a bound field ever turns their bytes into a caption.
TEST_F(BlobEditTest, OnlyAMemoTakesItsValueAsText) {
  Owned<TcxBlobEditProperties> p(New<TcxBlobEditProperties>(nullptr));
  using S = TcxDataEditValueSource;
  for (TcxBlobEditKind kind : {bekPict, bekOle, bekBlob}) {
    p->SetBlobEditKind(kind);
    EXPECT_EQ(p->GetEditValueSource(true), S::evsValue) << int(kind);
    EXPECT_EQ(p->GetEditValueSource(false), S::evsValue) << int(kind);
  }
  p->SetBlobEditKind(bekMemo);
  EXPECT_EQ(p->GetEditValueSource(true), S::evsText);
  EXPECT_EQ(p->GetEditValueSource(false), S::evsText);
  // An automatic kind is resolved first: a memo field's provider makes it text.
  Owned<TStorageProvider> provider(New<TStorageProvider>(nullptr));
  provider->Storage = true;
  provider->Kind = TcxBlobKind::bkMemo;
  p->SetBlobEditKind(bekAuto);
  p->SetIDefaultValuesProvider(provider.get());
  EXPECT_EQ(p->GetEditValueSource(false), S::evsText);
  p->SetBlobEditKind(bekAuto);
  provider->Kind = TcxBlobKind::bkGraphic;
  EXPECT_EQ(p->GetEditValueSource(false), S::evsValue);
  p->SetIDefaultValuesProvider(nullptr);
}

}  // namespace

namespace {

// A new editor's value is unassigned: it holds no data, so it shows the empty icon, as its
// text shows the empty placeholder.
TEST_F(BlobEditTest, ANewEditorShowsTheEmptyIcon) {
  Owned<TcxBlobEditProperties> p(New<TcxBlobEditProperties>(nullptr));
  p->SetBlobEditKind(bekMemo);
  EXPECT_EQ(p->GetIconIndex(Variant()), 2);
  EXPECT_EQ(p->GetIconIndex(Variant::MakeNull()), 2);
  EXPECT_EQ(p->GetIconIndex(Variant(String())), 2);
  EXPECT_EQ(p->GetIconIndex(Variant(String("x"))), 3);
  p->SetBlobEditKind(bekPict);
  EXPECT_EQ(p->GetIconIndex(Variant()), 4);
  auto* e = New<TcxBlobEdit>(form);
  e->SetBounds(10, 10, 150, 21);
  e->SetParent(form);
  e->GetProperties()->SetBlobEditKind(bekMemo);
  host().PumpUntilIdle();
  EXPECT_EQ(dynamic_cast<TcxBlobEditViewInfo*>(e->EditViewInfo())->IconIndex, 2);
}

}  // namespace
