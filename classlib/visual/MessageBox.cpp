// The application's message box: a small modal dialog with the text, an optional
// information icon and an OK button, centred on the main form (or the screen).
#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"

#include <algorithm>

namespace {

constexpr Integer kMargin = 12;
constexpr Integer kIconSize = 32;
constexpr Integer kButtonWidth = 75;
constexpr Integer kButtonHeight = 23;
constexpr Integer kMaxTextWidth = 400;
constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

class TMessageForm : public TForm {
  TL_CLASS(TMessageForm, TForm)
 public:
  TMessageForm(TComponent* AOwner, Integer Dummy) : TForm(AOwner, Dummy) {}

  String Text;
  bool Information = false;
  TRect TextRect;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    if (Information) {
      // A blue disc with a white "i": a dot over a bar.
      c->Pen()->SetColor(TColor(0x00A05000));
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(TColor(0x00C86400));
      c->Ellipse(kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize);
      c->Brush()->SetColor(clWhite);
      const Integer mid = kMargin + kIconSize / 2;
      c->FillRect(TRect{mid - 2, kMargin + 7, mid + 2, kMargin + 11});
      c->FillRect(TRect{mid - 2, kMargin + 13, mid + 2, kMargin + 26});
    }
    c->Font()->Assign(GetFont());
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect r = TextRect;
    c->TextRect(r, Text, kTextFormat);
  }
};

TL_DEFINE_CLASS(TMessageForm, [](auto&) {})

}  // namespace

Integer TApplication::MessageBox(const String& Text, const String& Caption, UINT Flags) {
  Owned<TMessageForm> form(TCustomForm::CreateNew<TMessageForm>(this));
  form->SetBorderStyle(TFormBorderStyle::bsDialog);
  form->SetCaption(Caption.empty() ? String("Error") : Caption);
  form->SetPosition(FMainForm ? TPosition::poMainFormCenter : TPosition::poScreenCenter);
  form->Text = Text;
  form->Information = (Flags & 0xF0) == MB_ICONINFORMATION;

  // Measure the text with the form's font, wrapped at a readable width.
  Owned<TBitmap> probe(New<TScratchBitmap>());
  probe->SetSize(1, 1);
  probe->Canvas()->Font()->Assign(form->GetFont());
  TRect text{0, 0, kMaxTextWidth, 0};
  probe->Canvas()->TextRect(text, Text, kTextFormat | DT_CALCRECT);
  const Integer left = form->Information ? kMargin * 2 + kIconSize : kMargin;
  const Integer textHeight = text.Bottom - text.Top;
  // The text is centred beside the icon when it is the shorter of the two.
  const Integer bodyHeight = std::max(textHeight, form->Information ? kIconSize : 0);
  const Integer top = kMargin + (bodyHeight - textHeight) / 2;
  form->TextRect = TRect{left, top, left + (text.Right - text.Left), top + textHeight};

  const bool yesNo = (Flags & 0xF) == MB_YESNO;
  const Integer buttonsWidth = yesNo ? 2 * kButtonWidth + kMargin / 2 : kButtonWidth;
  const Integer width = std::max(form->TextRect.Right + kMargin, buttonsWidth + 2 * kMargin);
  const Integer buttonTop = kMargin + bodyHeight + kMargin;
  form->SetClientWidth(width);
  form->SetClientHeight(buttonTop + kButtonHeight + kMargin);

  if (yesNo) {
    const Integer left = (width - buttonsWidth) / 2;
    TButton* yes = New<TButton>(form.get());
    yes->SetParent(form.get());
    yes->SetCaption("Yes");
    yes->SetBounds(left, buttonTop, kButtonWidth, kButtonHeight);
    yes->SetModalResult(mrYes);
    yes->SetDefault(true);
    TButton* no = New<TButton>(form.get());
    no->SetParent(form.get());
    no->SetCaption("No");
    no->SetBounds(left + kButtonWidth + kMargin / 2, buttonTop, kButtonWidth, kButtonHeight);
    no->SetModalResult(mrNo);
    no->SetCancel(true);
    // Only an explicit Yes answers yes: the close box gives whatever is not mrYes.
    return form->ShowModal() == mrYes ? mrYes : mrNo;
  }

  TButton* ok = New<TButton>(form.get());
  ok->SetParent(form.get());
  ok->SetCaption("OK");
  ok->SetBounds((width - kButtonWidth) / 2, buttonTop, kButtonWidth, kButtonHeight);
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  // The box has one answer: Escape and the close box give it as well.
  ok->SetCancel(true);
  form->ShowModal();
  return mrOk;
}
