// The calculator edit: its settings, how a value shows (precision, exponent form, thousand
// separators, display format), typing that keeps the text a number, and the drop-down
// calculator working on the edit's text: Enter takes the result, Escape leaves the text as it
// was, an error left at closing becomes 0. Also the gallery picture of the drop-down.
#include "classlib/core/Variants.h"
#include "classlib/visual/Clipbrd.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/special/SpecialTestSupport.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/special/cxCalcEdit.h"

#include <functional>

namespace {

using R = TcxEditCloseUpReason;

class TPrecisionProvider : public TcxCustomEditDefaultValuesProvider {
 public:
  using TcxCustomEditDefaultValuesProvider::TcxCustomEditDefaultValuesProvider;
  Integer DefaultPrecision() override { return Precision; }
  Integer Precision = 6;
};

class TCloseLog : public TObject {
 public:
  void HClose(TcxControl*, TcxEditCloseUpReason AReason) { Reasons.push_back(AReason); }
  std::vector<TcxEditCloseUpReason> Reasons;
};

class CalcEdit : public SpecialDialogTest {
 protected:
  TcxCalcEdit* Add() {
    auto* e = New<TcxCalcEdit>(form);
    e->SetBounds(10, 10, 160, 21);
    e->SetParent(form);
    e->GetCalcEditProperties()->OnClosePopup = {&closes, &TCloseLog::HClose};
    other = New<TcxCalcEdit>(form);
    other->SetBounds(10, 40, 160, 21);
    other->SetParent(form);
    Show();
    e->SetFocus();
    Pump();
    return e;
  }
  static TcxCalcEditProperties* P(TcxCalcEdit* e) { return e->GetCalcEditProperties(); }
  static String Text(TcxCalcEdit* e) { return e->InnerTextEdit()->GetText(); }
  void Press(Word AKey) {
    host().Key(AKey);
    Pump();
  }
  // Typed over the whole text.
  void Retype(TcxCalcEdit* e, const String& S) {
    e->SelectAll();
    host().Text(S);
    Pump();
  }
  // Opens the calculator with F4; each script runs at the next idle point of its loop, the
  // last one must close it.
  void Drop(std::vector<std::function<void()>> AScripts) {
    scripts = std::move(AScripts);
    Queue(0);
    Press(VK_F4);
  }
  void Queue(size_t i) {
    if (i < scripts.size())
      host().WhenIdle([this, i] {
        scripts[i]();
        Queue(i + 1);
      });
  }
  std::vector<std::function<void()>> scripts;
  TcxCalcEdit* other = nullptr;
  TCloseLog closes;
};

TEST_F(CalcEdit, SettingsAndPrecisionReadBack) {
  TcxCalcEdit* e = Add();
  TcxCalcEditProperties* p = P(e);
  EXPECT_TRUE(p->GetBeepOnError());
  EXPECT_TRUE(p->GetValidateOnEnter());
  EXPECT_FALSE(p->GetPopupSizeable());
  EXPECT_FALSE(p->GetImmediateDropDown());
  EXPECT_EQ(p->GetPopupControl(), e->Calculator());
  EXPECT_EQ(e->GetValue(), 0);
  EXPECT_EQ(Text(e), "0");

  EXPECT_EQ(p->GetPrecision(), 15);
  Owned<TPrecisionProvider> provider(New<TPrecisionProvider>(nullptr));
  p->SetIDefaultValuesProvider(provider.get());
  EXPECT_EQ(p->GetPrecision(), 6);
  provider->Precision = 40;
  EXPECT_EQ(p->GetPrecision(), 15);
  p->SetPrecision(4);
  EXPECT_EQ(p->GetPrecision(), 4);
  EXPECT_EQ(e->Calculator()->GetPrecision(), 4) << "the calculator follows";
  p->SetPrecision(20);
  EXPECT_EQ(p->GetPrecision(), 15);
  p->SetIDefaultValuesProvider(nullptr);

  // Assign copies the precision only when the source has it assigned.
  Owned<TcxCalcEditProperties> copy(New<TcxCalcEditProperties>(nullptr));
  copy->SetPrecision(3);
  copy->Assign(p);
  EXPECT_TRUE(copy->IsPrecisionStored());
  Owned<TcxCalcEditProperties> fresh(New<TcxCalcEditProperties>(nullptr));
  fresh->SetQuickClose(true);
  copy->Assign(fresh.get());
  EXPECT_FALSE(copy->IsPrecisionStored());
  EXPECT_TRUE(copy->GetQuickClose());
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  EXPECT_EQ(r->GetDescriptionByClass(&TcxCalcEditProperties::StaticClass()),
            "Represents an edit control with a dropdown calculator window");
}

TEST_F(CalcEdit, ValuesShowWithPrecisionExponentSeparatorsOrTheDisplayFormat) {
  TcxCalcEdit* e = Add();
  TcxCalcEditProperties* p = P(e);
  other->SetFocus();
  Pump();
  e->SetValue(1500);
  p->SetScientificFormat(true);
  EXPECT_EQ(Text(e), "1.5E+3");
  e->SetValue(2);
  EXPECT_EQ(Text(e), "2E+0");
  p->SetScientificFormat(false);
  p->SetUseThousandSeparator(true);
  e->SetValue(-1234567.25);
  EXPECT_EQ(Text(e), "-1,234,567.25");
  p->SetPrecision(4);
  EXPECT_EQ(Text(e), "-1.235E6") << "past the precision the general form takes the exponent";
  p->SetUseThousandSeparator(false);
  p->SetDisplayFormat("0.00 'pcs'");
  e->SetValue(2.5);
  EXPECT_EQ(Text(e), "2.50 pcs");
  e->SetFocus();
  Pump();
  EXPECT_EQ(Text(e), "2.5") << "focused, the plain number";
  e->SetEditValue(Variant(String("4.25")));
  EXPECT_EQ(e->GetValue(), 4.25);
  e->SetEditValue(Variant::MakeNull());
  EXPECT_EQ(Text(e), "");
  EXPECT_EQ(e->GetValue(), 0);
}

TEST_F(CalcEdit, TypingKeepsTheTextANumber) {
  TcxCalcEdit* e = Add();
  size_t beeps = Beeps();
  Retype(e, "2,5");
  EXPECT_EQ(Text(e), "2.5") << "either point becomes the locale's";
  Retype(e, "-5-x");
  EXPECT_EQ(Text(e), "-5");
  EXPECT_EQ(Beeps(), beeps + 2);
  // An exponent goes in where the text stays a number, never beyond the double's range.
  Retype(e, "15");
  e->SetSelStart(1);
  host().Text("E");
  Pump();
  EXPECT_EQ(Text(e), "1E5");
  Retype(e, "1E");
  EXPECT_EQ(Text(e), "1");
  e->SetValue(1E308);
  EXPECT_EQ(Text(e), "1E308");
  e->SetSelStart(5);
  host().Text("0");
  Pump();
  EXPECT_EQ(Text(e), "1E308");
  P(e)->SetBeepOnError(false);
  beeps = Beeps();
  host().Text("x");
  Pump();
  EXPECT_EQ(Beeps(), beeps);

  // A text that is no number leaves no value.
  Retype(e, "-");
  Press(VK_RETURN);
  EXPECT_TRUE(VarIsNull(e->EditValue()));
  Retype(e, "12.5");
  Press(VK_RETURN);
  EXPECT_EQ(e->GetValue(), 12.5);
}

TEST_F(CalcEdit, EnterInTheDropDownTakesTheResult) {
  TcxCalcEdit* e = Add();
  e->SetValue(4);
  bool inPopup = false, focused = false;
  Drop({[&] {
          inPopup =
              e->Calculator()->GetParent() == e->PopupWindow() && e->Calculator()->GetVisible();
          focused = GetFocus() == e->Calculator()->GetHandle();
          host().Text("*3");
        },
        [&] {
          EXPECT_EQ(Text(e), "3") << "the second operand shows while it is typed";
          host().Text("+2");
          host().Key(VK_RETURN);
        }});
  EXPECT_TRUE(inPopup);
  EXPECT_TRUE(focused);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(closes.Reasons, std::vector<R>({R::crEnter}));
  EXPECT_EQ(Text(e), "14");
  EXPECT_EQ(e->GetSelLength(), 2) << "AutoSelect selects the result";
  Press(VK_RETURN);
  EXPECT_EQ(e->GetValue(), 14);

  // With QuickClose the "=" character closes it too.
  P(e)->SetQuickClose(true);
  Drop({[&] { host().Text("/7="); }});
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(Text(e), "2");
  EXPECT_EQ(closes.Reasons.back(), R::crEnter);
}

TEST_F(CalcEdit, EscapeInTheDropDownLeavesTheTextAsItWas) {
  TcxCalcEdit* e = Add();
  e->SetValue(7);
  Drop({[&] { host().Text("5*2"); },
        [&] {
          EXPECT_EQ(Text(e), "2");
          host().Key(VK_ESCAPE);
        }});
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(closes.Reasons, std::vector<R>({R::crCancel}));
  EXPECT_EQ(Text(e), "7");
  EXPECT_FALSE(e->GetDisplayValueModified());
  EXPECT_EQ(e->GetValue(), 7);

  // F4 and Alt+Down close it keeping what the calculator shows; the cancelled "5 * 2" left
  // nothing pending, and a number being typed goes on in the next drop-down.
  Drop({[&] { host().Text("9"); }, [&] { host().Key(VK_F4); }});
  EXPECT_EQ(Text(e), "9");
  Drop({[&] {
    host().Text("1");
    host().KeyDown(VK_MENU);
    host().Key(VK_DOWN);
    host().KeyUp(VK_MENU);
  }});
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(closes.Reasons, std::vector<R>({R::crCancel, R::crClose, R::crClose}));
  EXPECT_EQ(Text(e), "91");
  Drop({[&] { host().Text("="); }, [&] { host().Key(VK_RETURN); }});
  EXPECT_EQ(Text(e), "91");
  // Tab is the edit's: the focus moves on and the calculator closes.
  Drop({[&] { host().Key(VK_TAB); }});
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_TRUE(other->IsFocused());
}

TEST_F(CalcEdit, AltWithAKeyThatIsNotAPopupKeyPressesNoButton) {
  TcxCalcEdit* e = Add();
  e->SetValue(4);
  Drop({[&] {
          host().KeyDown(VK_MENU);
          host().Key('R');
          host().Key('C');
          host().KeyUp(VK_MENU);
        },
        [&] {
          EXPECT_EQ(Text(e), "4") << "neither 1/x nor C";
          EXPECT_TRUE(e->GetDroppedDown());
          host().Key(VK_RETURN);
        }});
  EXPECT_EQ(Text(e), "4");
}

TEST_F(CalcEdit, AnErrorLeftAtClosingBecomesZero) {
  TcxCalcEdit* e = Add();
  e->SetValue(8);
  const size_t beeps = Beeps();
  Drop({[&] { host().Text("/0="); },
        [&] {
          EXPECT_EQ(Text(e), "Error");
          host().Key(VK_F4);
        }});
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(Text(e), "0");
  EXPECT_EQ(e->GetValue(), 0);
  EXPECT_FALSE(VarIsNull(e->EditValue()));
}

TEST_F(CalcEdit, ClipboardKeysInTheDropDownAndPastingIntoTheEdit) {
  TcxCalcEdit* e = Add();
  e->SetValue(3);
  Clipboard->SetAsText("$ 42");
  String copied;
  Drop({[&] {
          host().KeyDown(VK_SHIFT);
          host().Key(VK_INSERT);
          host().KeyUp(VK_SHIFT);
          host().Text("+1=");
          host().KeyDown(VK_CONTROL);
          host().Key(VK_INSERT);
          host().KeyUp(VK_CONTROL);
        },
        [&] {
          copied = Clipboard->GetAsText();
          host().Key(VK_RETURN);
        }});
  EXPECT_EQ(copied, "43");
  EXPECT_EQ(Text(e), "43");
  // Pasted into the edit, the text goes through the calculator: what is no number shows 0.
  Clipboard->SetAsText("12.5");
  e->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Text(e), "12.5");
  Clipboard->SetAsText("twelve");
  e->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Text(e), "0");
}

// Backspace and Ctrl+V in the edit: control characters pass the valid-character test.
TEST_F(CalcEdit, BackspaceAndCtrlVEditTheText) {
  TcxCalcEdit* e = Add();
  Retype(e, "125");
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "12");
  Clipboard->SetAsText("42");
  e->SelectAll();
  host().Char(22);
  Pump();
  EXPECT_EQ(Text(e), "42");
}

TEST_F(CalcEdit, ReadOnlyOrNoDataOpensNoCalculator) {
  TcxCalcEdit* e = Add();
  P(e)->SetReadOnly(true);
  Press(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_TRUE(closes.Reasons.empty());
}

TEST_F(CalcEdit, GalleryOfTheDropDownCalculator) {
  TcxCalcEdit* e = Add();
  e->SetValue(1234.5);
  DecodedImage image;
  Drop({[&] {
    HWND w = e->PopupWindow()->GetHandle();
    TRect r{};
    GetClientRect(w, &r);
    image.Width = r.Width();
    image.Height = r.Height();
    for (Integer y = 0; y < image.Height; ++y)
      for (Integer x = 0; x < image.Width; ++x) image.Pixels.push_back(host().PixelAt(w, x, y));
    host().Key(VK_ESCAPE);
  }});
  ASSERT_GT(image.Width, 100);
  ASSERT_GT(image.Height, 80);
  // The calculator fills the popup: its button face colour covers most of it.
  const Pixel face = PixelFromColor(ColorToRGB(clBtnFace));
  const size_t faces = size_t(std::count(image.Pixels.begin(), image.Pixels.end(), face));
  EXPECT_GT(faces * 2, image.Pixels.size());
  WriteGalleryPng(image, "calculator.png");
}

}  // namespace
