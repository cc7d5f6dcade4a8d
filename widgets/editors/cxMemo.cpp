#include "widgets/editors/cxMemo.h"

#include "classlib/core/Classes.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/Messages.h"
#include "platform/kernel/Units.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxEditRepository.h"

#include <algorithm>
#include <cstring>

String cxTruncateToFirstLine(const String& AText, Integer ALimit) {
  size_t end = AText.find_first_of("\r\n");
  if (end == String::npos) end = AText.size();
  return AText.substr(0, std::min(end, size_t(std::max<Integer>(ALimit, 0))));
}

String cxMemoRewriteLineBreaks(const String& AText) {
  String out;
  out.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] == '\r' && i + 1 < AText.size() && AText[i + 1] == '\n') {
      out += "\r\n";
      ++i;
    } else if (AText[i] == '\n' && i + 1 < AText.size() && AText[i + 1] == '\r') {
      out += "\r\n\r\n";
      ++i;
    } else {
      out += AText[i];
    }
  }
  return out;
}

namespace {

// Both memo windows: no redraw on a change of height, nor of width where the lines do not
// rewrap with it. A class is registered once per name, so each class style has its own name.
void cxMemoWindowClass(TCreateParams& Params, TScrollStyle AScrollBars, bool AWordWrap) {
  const bool horz = AScrollBars == TScrollStyle::ssHorizontal || AScrollBars == TScrollStyle::ssBoth;
  Params.WindowClass.style &= ~UINT(CS_VREDRAW);
  if (horz || !AWordWrap) {
    Params.WindowClass.style &= ~UINT(CS_HREDRAW);
    Params.WinClassName += ".NoHRedraw";
  }
}

}  // namespace

Cardinal cxMemoDrawTextFlags(bool AWordWrap, TScrollStyle AScrollBars, TAlignment AAlignment) {
  const bool horz = AScrollBars == TScrollStyle::ssHorizontal || AScrollBars == TScrollStyle::ssBoth;
  Cardinal flags = AWordWrap && !horz ? 0x24100 : 0x4000;
  flags |= 0x440;
  switch (AAlignment) {
    case TAlignment::taRightJustify: flags |= 2; break;
    case TAlignment::taCenter: flags |= 1; break;
    default: break;
  }
  return flags;
}

// ---- properties ----

TcxCustomMemoProperties::TcxCustomMemoProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {}

void TcxCustomMemoProperties::AfterConstruction() {
  inherited::AfterConstruction();
  GetAlignment()->SetVert(TcxEditVertAlignment::taTopJustify);
  SetAutoSelect(false);
}

void TcxCustomMemoProperties::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxCustomMemoProperties*>(Source)) {
    auto update = cxPropertiesUpdate(this);
    SetScrollBars(s->GetScrollBars());
    SetVisibleLineCount(s->GetVisibleLineCount());
    SetWantReturns(s->GetWantReturns());
    SetWantTabs(s->GetWantTabs());
    SetWordWrap(s->GetWordWrap());
  }
}

TcxCustomEditClass TcxCustomMemoProperties::GetContainerClass() const {
  return ClassOf<TcxMemo, TcxCustomEdit, TComponent*, bool>();
}

TcxCustomEditViewDataClass TcxCustomMemoProperties::GetViewDataClass() const {
  return ClassOf<TcxCustomMemoViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomMemoProperties::GetViewInfoClass() const {
  return ClassOf<TcxCustomMemoViewInfo, TcxCustomEditViewInfo>();
}

void TcxCustomMemoProperties::GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool AFullText) {
  inherited::GetDisplayText(AEditValue, ADisplayText, AFullText);
  if (!AFullText) ADisplayText = cxTruncateToFirstLine(ADisplayText, cxMemoDisplayTextLimit);
}

void TcxCustomMemoProperties::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  Changed();
}

void TcxCustomMemoProperties::SetVisibleLineCount(Integer Value) {
  // Far more lines than any screen shows, yet few enough that their height in pixels (lines
  // times the line height) stays an Integer.
  constexpr Integer kMaxVisibleLineCount = 32767;
  Value = std::clamp<Integer>(Value, 0, kMaxVisibleLineCount);
  if (FVisibleLineCount == Value) return;
  FVisibleLineCount = Value;
  Changed();
}

void TcxCustomMemoProperties::SetWantReturns(bool Value) {
  if (FWantReturns == Value) return;
  FWantReturns = Value;
  Changed();
}

void TcxCustomMemoProperties::SetWantTabs(bool Value) {
  if (FWantTabs == Value) return;
  FWantTabs = Value;
  Changed();
}

void TcxCustomMemoProperties::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Changed();
}

TL_DEFINE_CLASS(TcxCustomMemoProperties, [](auto&) {});

TL_DEFINE_CLASS(TcxMemoProperties, [](auto& c) {
  using T = TcxMemoProperties;
  c.Property("AutoSelect", &T::GetAutoSelect, &T::SetAutoSelect).Default(false);
  c.Property("CharCase", &T::GetCharCase, &T::SetCharCase).Default(TEditCharCase::ecNormal);
  c.Property("HideSelection", &T::GetHideSelection, &T::SetHideSelection).Default(true);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  c.Property("OEMConvert", &T::GetOEMConvert, &T::SetOEMConvert).Default(false);
  c.Property("ScrollBars", &T::GetScrollBars, &T::SetScrollBars).Default(TScrollStyle::ssNone);
  c.Property("VisibleLineCount", &T::GetVisibleLineCount, &T::SetVisibleLineCount).Default(Integer(0));
  c.Property("WantReturns", &T::GetWantReturns, &T::SetWantReturns).Default(true);
  c.Property("WantTabs", &T::GetWantTabs, &T::SetWantTabs).Default(false);
  c.Property("WordWrap", &T::GetWordWrap, &T::SetWordWrap).Default(true);
});

// ---- view ----

Cardinal TcxCustomMemoViewData::GetDrawTextFlags() const {
  TcxCustomMemoProperties* p = MemoProperties();
  if (!p) return inherited::GetDrawTextFlags();
  return cxMemoDrawTextFlags(p->GetWordWrap(), p->GetScrollBars(), HorzAlignment);
}

Integer TcxCustomMemoViewData::GetMaxLineCount() const {
  TcxCustomMemoProperties* p = MemoProperties();
  return p && p->GetVisibleLineCount() >= 1 ? p->GetVisibleLineCount() : inherited::GetMaxLineCount();
}

void TcxCustomMemoViewData::CalculateTextLayout(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo* AViewInfo) {
  AViewInfo->IsMultiLine = true;
  inherited::CalculateTextLayout(ACanvas, AViewInfo);
}

TSize TcxCustomMemoViewData::InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                                        const TcxEditSizeProperties& AEditSizeProperties) {
  // Every line counts here, not only the first one a cell shows.
  String text;
  if (TcxCustomMemoProperties* p = MemoProperties()) p->GetDisplayText(AEditValue, text, true);
  else PrepareDisplayText(AEditValue, text);
  if (AEditSizeProperties.Width >= 0 || text.empty()) {
    TSize size = cxCalcTextEditContentSize(ACanvas, this, text, AEditSizeProperties);
    const TRect m = GetContentMargins();
    size.cx += m.Left + m.Right;
    return size;
  }
  // No width to wrap in: one row a line, as wide as the widest.
  if (Style) cxSetCanvasFont(ACanvas, Style->GetFont());
  const Integer rowHeight = ACanvas.TextHeight("Zg");
  Integer rows = 0, widest = 0;
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == String::npos) end = text.size();
    widest = std::max<Integer>(widest, ACanvas.TextWidth(text.substr(at, end - at)));
    ++rows;
    if (end == text.size()) break;
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  if (GetMaxLineCount() >= 1) rows = std::min(rows, GetMaxLineCount());
  TSize size{widest, rows * rowHeight + GetVerticalTextMargins()};
  const TRect m = GetContentMargins();
  size.cx += m.Left + m.Right;
  return size;
}

TSize TcxCustomMemoViewData::GetEditConstantPartSize(TcxCanvas& ACanvas,
                                                     const TcxEditSizeProperties& AEditSizeProperties,
                                                     TSize& AMinContentSize, TcxCustomEditViewInfo* AViewInfo) {
  TSize size = inherited::GetEditConstantPartSize(ACanvas, AEditSizeProperties, AMinContentSize, AViewInfo);
  TcxCustomMemoProperties* p = MemoProperties();
  if (Edit && p && (p->GetScrollBars() == TScrollStyle::ssHorizontal || p->GetScrollBars() == TScrollStyle::ssBoth))
    size.cy += GetSystemMetrics(SM_CYHSCROLL);
  return size;
}

TL_DEFINE_CLASS(TcxCustomMemoViewInfo)
TL_DEFINE_CLASS(TcxCustomMemoViewData, [](auto&) {});

// ---- the inner memo's interfaces ----

TcxCustomInnerMemoHelper::TcxCustomInnerMemoHelper(TcxCustomInnerMemo* AInnerMemo)
    : TcxInterfacedPersistent(nullptr), FInnerMemo(AInnerMemo) {}

TWinControl* TcxCustomInnerMemoHelper::GetControl() { return FInnerMemo; }
String TcxCustomInnerMemoHelper::GetEditText() { return FInnerMemo->GetEditText(); }
Integer TcxCustomInnerMemoHelper::GetSelStart() { return FInnerMemo->GetSelStart(); }
Integer TcxCustomInnerMemoHelper::GetSelLength() { return FInnerMemo->GetSelLength(); }

TStrings* TcxCustomInnerMemoHelper::GetLines() {
  auto* memo = dynamic_cast<TcxCustomMemo*>(FInnerMemo->GetControlContainer());
  return memo ? memo->GetLines() : nullptr;
}

TScrollStyle TcxCustomInnerMemoHelper::GetScrollBars() { return FInnerMemo->GetScrollBars(); }
void TcxCustomInnerMemoHelper::SetScrollBars(TScrollStyle Value) {
  FInnerMemo->SetMemoSettings(Value, GetWantReturns(), GetWantTabs(), GetWordWrap());
}
bool TcxCustomInnerMemoHelper::GetWantReturns() { return FInnerMemo->GetWantReturns(); }
void TcxCustomInnerMemoHelper::SetWantReturns(bool Value) {
  FInnerMemo->SetMemoSettings(GetScrollBars(), Value, GetWantTabs(), GetWordWrap());
}
bool TcxCustomInnerMemoHelper::GetWantTabs() { return FInnerMemo->GetWantTabs(); }
void TcxCustomInnerMemoHelper::SetWantTabs(bool Value) {
  FInnerMemo->SetMemoSettings(GetScrollBars(), GetWantReturns(), Value, GetWordWrap());
}
bool TcxCustomInnerMemoHelper::GetWordWrap() { return FInnerMemo->GetWordWrap(); }
void TcxCustomInnerMemoHelper::SetWordWrap(bool Value) {
  FInnerMemo->SetMemoSettings(GetScrollBars(), GetWantReturns(), GetWantTabs(), Value);
}

TPoint TcxCustomInnerMemoHelper::GetCaretPos() {
  if (!FInnerMemo->HandleAllocated()) return {0, 0};
  const Integer caret = FInnerMemo->GetSelStart() + FInnerMemo->GetSelLength();
  const Integer line = Integer(FInnerMemo->Perform(EM_LINEFROMCHAR, WPARAM(caret), 0));
  const Integer start = Integer(FInnerMemo->Perform(EM_LINEINDEX, WPARAM(line), 0));
  return {caret - start, line};
}

void TcxCustomInnerMemoHelper::SetCaretPos(const TPoint& Value) {
  if (!FInnerMemo->HandleAllocated()) return;
  const Integer count = Integer(FInnerMemo->Perform(EM_GETLINECOUNT, 0, 0));
  const Integer line = std::clamp<Integer>(Value.Y, 0, std::max<Integer>(count - 1, 0));
  const Integer start = Integer(FInnerMemo->Perform(EM_LINEINDEX, WPARAM(line), 0));
  const Integer length = Integer(FInnerMemo->Perform(EM_LINELENGTH, WPARAM(start), 0));
  const Integer at = start + std::clamp<Integer>(Value.X, 0, length);
  FInnerMemo->Perform(EM_SETSEL, WPARAM(at), LPARAM(at));
  FInnerMemo->Perform(EM_SETSEL, WPARAM(at), LPARAM(at));
}

void TcxCustomInnerMemoHelper::ClearSelection() { FInnerMemo->TCustomEdit::ClearSelection(); }
void TcxCustomInnerMemoHelper::CopyToClipboard() { FInnerMemo->TCustomEdit::CopyToClipboard(); }

TL_DEFINE_CLASS(TcxCustomInnerMemoHelper)

// ---- lines ----

Integer TcxMemoLines::AddObject(const String& S, TObject* AObject) {
  FAppending = true;
  // The change notice runs the memo's handlers, which may free it.
  TWatchedScopeExit appended(this, [this] { FAppending = false; });
  return inherited::AddObject(S, AObject);
}

TL_DEFINE_CLASS(TcxMemoLines)

// ---- inner memo ----

TcxCustomInnerMemo::TcxCustomInnerMemo(TComponent* AOwner) : TcxCustomInnerTextEdit(AOwner) {
  FHelper = New<TcxCustomInnerMemoHelper>(this);
}

void TcxCustomInnerMemo::BeforeDestruction() {
  FreeAndNil(FHelper);
  inherited::BeforeDestruction();
}

void TcxCustomInnerMemo::SetMemoSettings(TScrollStyle AScrollBars, bool AWantReturns, bool AWantTabs,
                                         bool AWordWrap) {
  if (FScrollBars == AScrollBars && FWantReturns == AWantReturns && FWantTabs == AWantTabs &&
      FWordWrap == AWordWrap)
    return;
  FScrollBars = AScrollBars;
  FWantReturns = AWantReturns;
  FWantTabs = AWantTabs;
  FWordWrap = AWordWrap;
  if (HandleAllocated()) RecreateWnd();
}

void TcxCustomInnerMemo::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (FWantReturns) Params.Style |= ES_WANTRETURN;
  const bool horz = FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth;
  const bool vert = FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth;
  // Wrapping lines never scroll sideways.
  if (FWordWrap && !horz) Params.Style &= ~DWORD(ES_AUTOHSCROLL);
  if (horz) Params.Style |= WS_HSCROLL;
  if (vert) Params.Style |= WS_VSCROLL;
  cxMemoWindowClass(Params, FScrollBars, FWordWrap);
}

void TcxCustomInnerMemo::WndProc(TMessage& Message) {
  if (Message.Msg == WM_KEYDOWN) {
    auto* c = dynamic_cast<TcxCustomMemo*>(GetControlContainer());
    TcxEditLifeGuard guard(this);
    inherited::WndProc(Message);
    // The key may have scrolled the text to the caret.
    if (guard.Alive() && c && !c->IsDestroying()) c->UpdateScrollBars();
    return;
  }
  if (Message.Msg == WM_GETDLGCODE) {
    inherited::WndProc(Message);
    if (GetKeyState(VK_CONTROL) >= 0 && FWantTabs) Message.Result |= DLGC_WANTTAB;
    if (GetKeyState(VK_ESCAPE) < 0) Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
    return;
  }
  if (Message.Msg == WM_CLEAR) {
    auto* c = dynamic_cast<TcxCustomMemo*>(GetControlContainer());
    if (c && !TCustomEdit::GetReadOnly()) c->InnerMemoClear();
    Message.Result = 0;
    return;
  }
  if (Message.Msg == EM_REPLACESEL && Message.LParam) {
    const String text = cxMemoRewriteLineBreaks(reinterpret_cast<const char*>(Message.LParam));
    Message.LParam = reinterpret_cast<LPARAM>(text.c_str());
    inherited::WndProc(Message);
    return;
  }
  inherited::WndProc(Message);
}

void TcxCustomInnerMemo::KeyPress(Char& Key) {
  auto* c = dynamic_cast<TcxCustomMemo*>(GetControlContainer());
  const bool wanted = c && ((Key == Char(13) && c->IsEnterTyped(KeyboardStateToShiftState())) ||
                            (Key == Char(9) && c->WantsKey(VK_TAB, KeyboardStateToShiftState())));
  if (!wanted) {
    inherited::KeyPress(Key);
    return;
  }
  // The editor hears a wanted Enter or Tab; the platform edit types it.
  TcxEditLifeGuard guard(c);
  c->KeyPress(Key);
  if (!guard.Alive()) Key = 0;
}

TL_DEFINE_CLASS(TcxCustomInnerMemo, [](auto&) {});

// ---- memo ----

TcxCustomMemo::TcxCustomMemo(TComponent* AOwner) : TcxCustomTextEdit(AOwner) {}
TcxCustomMemo::TcxCustomMemo(TComponent* AOwner, bool AIsInplace) : TcxCustomTextEdit(AOwner, AIsInplace) {}

void TcxCustomMemo::BeforeDestruction() {
  FreeAndNil(FLines);
  inherited::BeforeDestruction();
}

TcxCustomEditPropertiesClass TcxCustomMemo::GetPropertiesClass() {
  return ClassOf<TcxCustomMemoProperties, TcxCustomEditProperties, TPersistent*>();
}

TMetaClass<TWinControl, TComponent*> TcxCustomMemo::GetInnerEditClass() const {
  return ClassOf<TcxCustomInnerMemo, TWinControl, TComponent*>();
}

void TcxCustomMemo::Initialize() {
  inherited::Initialize();
  SetAutoSize(false);
  SetBounds(GetLeft(), GetTop(), 185, 89);
}

void TcxCustomMemo::WndProc(TMessage& Message) {
  if (Message.Msg != WM_SETTEXT || !InnerMemo()) {
    inherited::WndProc(Message);
    // The inner memo's bars move with the window, the frame (settled only once this message
    // is answered) and the settings.
    if (Message.Msg == WM_WINDOWPOSCHANGED || Message.Msg == CM_WININICHANGE) UpdateScrollBars();
    if (Message.Msg == WM_NCCALCSIZE && HandleAllocated() && !IsDestroying()) PostUpdateScrollBars();
    return;
  }
  const char* t = reinterpret_cast<const char*>(Message.LParam);
  const String text = t ? String(t) : String();
  Variant v(text);
  if (!ActiveMemoProperties()->IsTextEditValueValid(v, IsFocused())) {
    Message.Result = 0;
    return;
  }
  TcxEditLifeGuard guard(this);
  SetInternalDisplayValue(Variant(text));
  Message.Result = 1;
  if (guard.Alive() && !ComponentState().Contains(TComponentStateItem::csLoading)) TakeEditValueFromText();
}

void TcxCustomMemo::ReadState(TReader& Reader) {
  inherited::ReadState(Reader);
  if (FLines && FLines->Count() > 0 && InnerMemo()) SetEditValue(Variant(InnerMemo()->GetText()));
}

TStrings* TcxCustomMemo::GetLines() {
  if (!FLines) {
    FLines = New<TcxMemoLines>();
    FLines->OnChange = {this, &TcxCustomMemo::LinesChanged};
  }
  if (!FSyncingLines && !LinesAreText()) SyncLines(InnerMemo() ? InnerMemo()->GetText() : SavedText());
  return FLines;
}

bool TcxCustomMemo::LinesAreText() {
  // Every change of the text since passed through this memo; the length is checked as well.
  TcxCustomInnerMemo* inner = InnerMemo();
  return FLinesSplit && FLinesCurrent && inner && inner->HandleAllocated() &&
         !ComponentState().Contains(TComponentStateItem::csLoading) &&
         size_t(inner->Perform(WM_GETTEXTLENGTH)) == FLinesText.size();
}

void TcxCustomMemo::SetLines(TStrings* Value) { GetLines()->Assign(Value); }

namespace {

// Whether AText is its lines joined again: every break a CR LF, none at the end.
bool IsJoinedLines(const String& AText) {
  for (size_t i = AText.find_first_of("\r\n"); i != String::npos; i = AText.find_first_of("\r\n", i + 2)) {
    if (AText.compare(i, 2, "\r\n") != 0 || i + 2 == AText.size()) return false;
  }
  return true;
}

// Whether a line of AText starts at I: the text's start, or just after a line break (CR LF,
// a lone CR or a lone LF).
bool IsLineStart(const String& AText, size_t I) {
  if (I == 0) return true;
  const Char before = AText[I - 1];
  return before == '\n' || (before == '\r' && (I >= AText.size() || AText[I] != '\n'));
}

// The lines AText[AFrom, ATo) reads as, ATo a line start or the end.
std::vector<String> SplitPart(const String& AText, size_t AFrom, size_t ATo) {
  std::vector<String> out;
  size_t i = AFrom;
  while (i < ATo) {
    const size_t start = i;
    while (i < ATo && AText[i] != '\r' && AText[i] != '\n') ++i;
    out.push_back(AText.substr(start, i - start));
    if (i < ATo && AText[i] == '\r') ++i;
    if (i < ATo && AText[i] == '\n') ++i;
  }
  return out;
}

// How many characters two texts share at their start (AForward) or end, up to AMost;
// compared a block at a time.
size_t CommonRun(const String& A, const String& B, size_t AMost, bool AForward) {
  constexpr size_t kBlock = 256;
  auto at = [&](const String& S, size_t AIndex, size_t ALength) {
    return AForward ? S.data() + AIndex : S.data() + S.size() - AIndex - ALength;
  };
  size_t n = 0;
  while (n + kBlock <= AMost && std::memcmp(at(A, n, kBlock), at(B, n, kBlock), kBlock) == 0) n += kBlock;
  while (n < AMost && *at(A, n, 1) == *at(B, n, 1)) ++n;
  return n;
}

// ALines, the lines of AOld, become those of ANew by replacing only the lines the change
// between the two texts reaches: from the line holding the character before the first
// difference to the first line start after the last one. Both ends are line starts in both
// texts (the characters around them are the same), so the lines outside stay as they are.
// AJoined says AOld's breaks are all CR LF; it becomes whether ANew's are, none at its end.
bool FollowEdit(TStrings* ALines, const String& AOld, const String& ANew, bool& AJoined) {
  const size_t most = std::min(AOld.size(), ANew.size());
  const size_t pre = CommonRun(AOld, ANew, most, true);
  const size_t suf = CommonRun(AOld, ANew, most - pre, false);
  size_t from = pre > 0 ? pre - 1 : 0;
  while (!IsLineStart(AOld, from)) --from;
  size_t to = std::min(AOld.size(), AOld.size() - suf + 1);
  while (to < AOld.size() && !IsLineStart(AOld, to)) ++to;
  const size_t newTo = to + ANew.size() - AOld.size();
  // Every line before `from` ends with its break: with CR LF breaks only, one LF each.
  // Every line before `from` ends with its break: an LF, or a CR not followed by one (`from`
  // itself never follows the CR of a CR LF).
  size_t breaks = 0;
  const char* t = AOld.data();
  for (size_t i = 0; i + 1 < from; ++i) breaks += size_t(t[i] == '\n') + size_t(t[i] == '\r' && t[i + 1] != '\n');
  if (from > 0) breaks += size_t(t[from - 1] == '\n' || t[from - 1] == '\r');
  const Integer first = Integer(breaks);
  const Integer oldCount = Integer(SplitPart(AOld, from, to).size());
  if (first + oldCount > ALines->Count()) return false;
  const std::vector<String> now = SplitPart(ANew, from, newTo);
  const Integer common = std::min<Integer>(oldCount, Integer(now.size()));
  {
    auto update = UpdateBracket(ALines);
    for (Integer i = 0; i < common; ++i) {
      if (ALines->Strings(first + i) != now[size_t(i)]) ALines->SetStrings(first + i, now[size_t(i)]);
    }
    for (Integer i = oldCount; i > common; --i) ALines->Delete(first + common);
    for (Integer i = common; i < Integer(now.size()); ++i)
      ALines->Insert(first + i, now[size_t(i)]);
  }
  // Outside the part replaced the breaks are those of the old text; none straddles its ends.
  if (!ANew.empty() && (ANew.back() == '\r' || ANew.back() == '\n')) {
    AJoined = false;
  } else if (AJoined) {
    for (size_t i = from; i < newTo && AJoined; ++i) {
      if (ANew[i] == '\n') AJoined = false;
      else if (ANew[i] == '\r') AJoined = i + 1 < newTo && ANew[++i] == '\n';
    }
  } else {
    AJoined = IsJoinedLines(ANew);
  }
  return true;
}

}  // namespace

void TcxCustomMemo::SyncLinesFromText() {
  FLinesCurrent = false;
  if (!FLines || FSyncingLines || !InnerMemo()) return;
  String text = InnerMemo()->GetText();
  bool followed = false;
  if (FLinesSplit && !FLines->IsUpdating() && !FLines->GetSorted() && text != FLinesText) {
    // Lines that are the old text split follow the change: only the lines it reaches are
    // written again.
    // Written out: a failed follow also leaves the lines no longer known to be the text.
    FSyncingLines = true;
    try {
      followed = FollowEdit(FLines, FLinesText, text, FLinesJoined);
    } catch (...) {
      FSyncingLines = false;
      FLinesSplit = false;
      throw;
    }
    FSyncingLines = false;
  }
  if (followed) {
    FLinesText = std::move(text);
  } else {
    SyncLines(std::move(text));
  }
  FLinesCurrent = true;
}


void TcxCustomMemo::SyncLines(String AText) {
  // Lines that already are this text keep what was written to them (also inside an update).
  if (FLinesSplit && AText == FLinesText) return;
  FLinesSplit = false;
  FLinesCurrent = false;
  {
    FSyncingLines = true;
    TScopeExit synced([this] { FSyncingLines = false; });
    FLines->SetText(AText);
  }
  FLinesJoined = IsJoinedLines(AText);
  FLinesText = std::move(AText);
  FLinesSplit = true;
}

void TcxCustomMemo::SetInternalDisplayValue(const Variant& Value) {
  TcxEditLifeGuard guard(this);
  inherited::SetInternalDisplayValue(Value);
  if (guard.Alive()) SyncLinesFromText();
}

void TcxCustomMemo::LinesChanged(TObject*) {
  if (FSyncingLines || !InnerMemo()) return;
  // A line without breaks added at the end of lines that are the text joined adds only itself;
  // the text stays the lines joined.
  String text;
  bool appended = false;
  if (FLines->IsAppending() && FLinesSplit && FLinesJoined && !FLines->GetSorted()) {
    const String line = FLines->Strings(FLines->Count() - 1);
    appended = !line.empty() && line.find_first_of("\r\n") == String::npos;
    if (appended) {
      const String tail = FLinesText.empty() ? line : "\r\n" + line;
      if (LinesAreText() && AppendLine(tail)) return;
      text = std::move(FLinesText);
      text += tail;
    }
  }
  if (!appended) {
    // The list ends every line with a break; the text keeps none after the last line.
    text = FLines->GetText();
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  }
  // Until the text is set the lines are not known to be it; the next reading splits it again
  // unless a line was only added.
  FLinesSplit = false;
  FLinesText = std::move(text);
  FLinesJoined = appended;
  // Read from a form, the text becomes the edit value once loading is done.
  const bool take = !ComponentState().Contains(TComponentStateItem::csLoading);
  TcxEditLifeGuard guard(this);
  auto locked = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  FSyncingLines = true;
  TWatchedScopeExit synced(this, [this] { FSyncingLines = false; });
  InnerMemo()->SetText(FLinesText);
  if (guard.Alive() && take) TakeEditValueFromText();
  if (!guard.Alive()) return;
  FLinesSplit = appended;
  FLinesCurrent = true;
}

bool TcxCustomMemo::AppendLine(const String& ATail) {
  // Read from a form, the text becomes the edit value only once loading is done.
  if (ComponentState().Contains(TComponentStateItem::csLoading) || !CanAppendEditText(ATail)) return false;
  TcxEditLifeGuard guard(this);
  LockChangeEvents(true);
  FSyncingLines = true;
  // Written out: a failed append also marks the lines as not following the text.
  try {
    // What a new text tells the editor, then the value extended by the line as setting the
    // whole text would.
    ChangeHandler(this);
    if (guard.Alive()) AppendEditText(ATail);
    if (guard.Alive()) UpdateScrollBars();
  } catch (...) {
    if (guard.Alive()) {
      FSyncingLines = false;
      FLinesCurrent = false;
      LockChangeEvents(false);
    }
    throw;
  }
  if (!guard.Alive()) return true;
  FLinesText += ATail;
  FLinesSplit = FLinesJoined = FLinesCurrent = true;
  FSyncingLines = false;
  LockChangeEvents(false);
  return true;
}

void TcxCustomMemo::TakeEditValueFromText() {
  if (!InnerMemo() || IsDestroying()) return;
  auto locked = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  SetEditValue(Variant(InnerMemo()->GetText()));
}

void TcxCustomMemo::SetSelText(const String& AText) {
  if (!InnerMemo()) return;
  if (IsUserInput() && !DoEditing()) return;
  String insert = AText;
  const Integer limit = ActiveMemoProperties()->GetMaxLength();
  if (IsUserInput() && limit > 0) {
    // The room is what the limit leaves once the selection is gone, wherever the caret is.
    const Integer kept = Integer(InnerMemo()->GetText().size()) - GetSelLength();
    const Integer room = std::max<Integer>(0, limit - kept);
    if (Integer(insert.size()) > room) {
      insert.resize(size_t(room));
      // A line break goes in whole or not at all: its CR alone would be no break.
      if (!insert.empty() && insert.back() == '\r' && AText[insert.size()] == '\n') insert.pop_back();
    }
    // Nothing fits: the selection stays rather than being lost to an empty insert.
    if (insert.empty() && !AText.empty()) return;
  }
  // The inherited route keeps one line only; a memo keeps all of them.
  const String text = InnerMemo()->GetText();
  const Integer start = std::min<Integer>(GetSelStart(), Integer(text.size()));
  const Integer end = std::min<Integer>(start + GetSelLength(), Integer(text.size()));
  const String result = text.substr(0, size_t(start)) + insert + text.substr(size_t(end));
  Variant v(result);
  if (!ActiveMemoProperties()->IsTextEditValueValid(v, IsFocused())) return;
  TcxEditLifeGuard guard(this);
  SetInternalDisplayValue(Variant(result));
  if (!guard.Alive()) return;
  if (!IsUserInput()) {
    TakeEditValueFromText();
    if (!guard.Alive()) return;
    SetSelStartAndLength(start + Integer(insert.size()), 0);
    return;
  }
  SetSelStartAndLength(start + Integer(insert.size()), 0);
  // The user changed the text as if typing: the editor is modified and tells its handlers.
  auto locked = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  ChangeHandler(this);
}

void TcxCustomMemo::CutToClipboard() {
  if (!InnerMemo() || GetSelLength() == 0) return;
  if (IsUserInput() && !DoEditing()) return;
  CopyToClipboard();
  ClearSelection();
}

void TcxCustomMemo::PasteFromClipboard() {
  if (!InnerMemo() || !Clipboard->HasFormat(CF_TEXT)) return;
  SetSelText(Clipboard->GetAsText());
}

IcxInnerMemo* TcxCustomMemo::InnerMemoIntf() const {
  TcxCustomInnerMemo* inner = InnerMemo();
  return inner ? inner->Helper() : nullptr;
}

void TcxCustomMemo::UpdateScrollBars() {
  if (IsDestroying() || ComponentState().Contains(TComponentStateItem::csDestroying)) return;
  inherited::UpdateScrollBars();
}

void TcxCustomMemo::ChangeHandler(TObject* Sender) {
  TcxEditLifeGuard guard(this);
  inherited::ChangeHandler(Sender);
  if (!guard.Alive()) return;
  SyncLinesFromText();
  UpdateScrollBars();
}

void TcxCustomMemo::Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  TcxCustomInnerMemo* inner = InnerMemo();
  if (!inner || !inner->HandleAllocated()) return;
  const HWND h = inner->GetHandle();
  const bool vertical = AKind == TScrollBarKind::sbVertical;
  if (vertical && (AScrollCode == TScrollCode::scLineUp || AScrollCode == TScrollCode::scLineDown)) {
    SendMessageA(h, EM_LINESCROLL, 0, AScrollCode == TScrollCode::scLineUp ? -1 : 1);
  } else {
    SendMessageA(h, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(WORD(Ord(AScrollCode)), WORD(AScrollPos)), 0);
  }
  AScrollPos = GetScrollPos(h, vertical ? SB_VERT : SB_HORZ);
  UpdateScrollBars();
}

bool TcxCustomMemo::IsEnterTyped(TShiftState Shift) {
  if (!IsInplace()) return WantsKey(VK_RETURN, Shift);
  return Shift.Contains(TShiftStateItem::ssCtrl) != ActiveMemoProperties()->GetWantReturns();
}

bool TcxCustomMemo::WantsKey(Word Key, TShiftState Shift) {
  TcxCustomMemoProperties* p = ActiveMemoProperties();
  if (Key == VK_RETURN) return p->GetWantReturns() || Shift.Contains(TShiftStateItem::ssCtrl);
  if (Key == VK_TAB) return p->GetWantTabs();
  return false;
}

void TcxCustomMemo::DoEditKeyDown(Word& Key, TShiftState Shift) {
  // A line break typed into the memo is not the editor's Enter.
  if (Key == VK_RETURN && IsEnterTyped(Shift)) return;
  if (Key == VK_TAB && WantsKey(Key, Shift)) return;
  // The vertical keys move between lines: they step no lookup items here, and Up and Down
  // stay the memo's even where they move nothing.
  if (Key == VK_UP || Key == VK_DOWN) {
    if (InnerMemo()) InnerMemo()->SetInternalUpdating(true);
    return;
  }
  if (Key == VK_PRIOR || Key == VK_NEXT) return;
  inherited::DoEditKeyDown(Key, Shift);
  if (Key == 0) return;
  const bool ctrlOnly = Shift.Contains(TShiftStateItem::ssCtrl) && !Shift.Contains(TShiftStateItem::ssShift) &&
                        !Shift.Contains(TShiftStateItem::ssAlt);
  if (ctrlOnly && Key == 'A' && InnerMemo() && InnerMemo()->Perform(EM_GETLINECOUNT, 0, 0) >= 1) {
    InnerMemo()->SelectAll();
    DoAfterKeyDown(Key, Shift);
    Key = 0;
  }
}

Integer TcxCustomMemo::LineBreakRoom() {
  const Integer limit = ActiveMemoProperties()->GetMaxLength();
  if (limit <= 0 || !InnerMemo()) return 2;
  return limit - (Integer(InnerMemo()->GetText().size()) - GetSelLength());
}

void TcxCustomMemo::DoEditKeyPress(Char& Key) {
  const TShiftState shift = KeyboardStateToShiftState();
  // Ctrl+Enter arrives as a line feed: it breaks the line like Enter.
  if (Key == Char(10) && IsEnterTyped(shift)) Key = Char(13);
  if (Key == Char(10) || (Key == Char(13) && !IsEnterTyped(shift)) || (Key == Char(9) && !WantsKey(VK_TAB, shift))) {
    Key = 0;
    return;
  }
  // Typed by the platform edit as they stand, once editing may start.
  if (Key == Char(13) || Key == Char(9)) {
    if (!DoEditing()) Key = 0;
    // A line break is two characters: with room for one only, the limit keeps the text whole.
    else if (Key == Char(13) && LineBreakRoom() < 2) Key = 0;
    return;
  }
  inherited::DoEditKeyPress(Key);
}

bool TcxCustomMemo::CanKeyStartEdit(Char Key) {
  return Key != Char(13) && inherited::CanKeyStartEdit(Key);
}

void TcxCustomMemo::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  auto* p = dynamic_cast<TcxCustomMemoProperties*>(GetActiveProperties());
  cxMemoWindowClass(Params, p ? p->GetScrollBars() : TScrollStyle::ssNone, p ? p->GetWordWrap() : true);
  FHRedraw = (Params.WindowClass.style & CS_HREDRAW) != 0;
}

void TcxCustomMemo::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  // The container's class style follows the settings: a window of the other style is remade.
  if (TcxCustomMemoProperties* p = ActiveMemoProperties(); p && HandleAllocated()) {
    const TScrollStyle bars = p->GetScrollBars();
    const bool hredraw = bars != TScrollStyle::ssHorizontal && bars != TScrollStyle::ssBoth && p->GetWordWrap();
    if (hredraw != FHRedraw) RecreateWnd();
  }
  if (TcxCustomInnerMemo* inner = InnerMemo()) {
    TcxCustomMemoProperties* p = ActiveMemoProperties();
    inner->SetMemoSettings(p->GetScrollBars(), p->GetWantReturns(), p->GetWantTabs(), p->GetWordWrap());
  }
  AdjustHeightToLines();
}

void TcxCustomMemo::AdjustHeightToLines() {
  TcxCustomMemoProperties* p = ActiveMemoProperties();
  const Integer lines = p->GetVisibleLineCount();
  if (IsInplace() || lines <= 0 || !GetParent()) return;
  const Integer kTextMarginsTopBottom = 1 + 3;
  Integer text = lines * GetInnerEditTextHeight() + kTextMarginsTopBottom;
  if (p->GetScrollBars() == TScrollStyle::ssHorizontal || p->GetScrollBars() == TScrollStyle::ssBoth)
    text += GetSystemMetrics(SM_CYHSCROLL);
  // The frame around the client area stays as it is.
  const Integer frame = GetHeight() - GetClientHeight();
  if (GetHeight() != text + frame) SetHeight(text + frame);
}

TL_DEFINE_CLASS(TcxCustomMemo, [](auto&) {});

TcxCustomEditPropertiesClass TcxMemo::GetPropertiesClass() {
  return ClassOf<TcxMemoProperties, TcxCustomEditProperties, TPersistent*>();
}

TL_DEFINE_CLASS(TcxMemo, [](auto& c) {
  using T = TcxMemo;
  // The text is stored as Lines alone.
  c.Property("Caption", &T::GetCaption, &T::SetCaption).Stored(false);
  c.Property("Lines", &T::GetLines, &T::SetLines);
  c.Property("ParentColor", &T::GetParentColor, &T::SetParentColor).Default(false);
  c.Property("Properties", &T::GetMemoProperties);
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("StyleDisabled", &T::GetStyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::GetStyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::GetStyleHot, &T::SetStyleHot);
  c.Event("OnContextPopup", &T::OnContextPopup);
  c.Event("OnEditing", &T::OnEditing);
  c.Event("OnMouseEnter", &T::OnMouseEnter);
  c.Event("OnMouseLeave", &T::OnMouseLeave);
});

namespace cxMemo {

namespace {
UnitCounter gMemo;
}  // namespace

void Initialize() {
  if (!gMemo.Enter()) return;
  cxRegisterEditor(TcxMemoProperties::StaticClass(),
                   "Memo|Represents an edit control that allows editing memo data",
                   TcxMemo::StaticClass());
}

void Finalize() {
  if (!gMemo.Leave()) return;
  cxUnregisterEditor(TcxMemoProperties::StaticClass(), TcxMemo::StaticClass());
}

}  // namespace cxMemo
