// The picture mask: parsing, placing characters, value text and the two validity tests.
#include "widgets/editcore/cxStandardMask.h"

#include "classlib/core/Lists.h"
#include "classlib/core/SysUtils.h"

#include <algorithm>
#include <array>
#include <typeindex>
#include <typeinfo>

TL_DEFINE_CLASS(TcxStandardMaskCustomItem)
TL_DEFINE_CLASS(TcxStandardMaskLiteralItem)
TL_DEFINE_CLASS(TcxStandardMaskManyItem)
TL_DEFINE_CLASS(TcxStandardMaskAlphaItem)
TL_DEFINE_CLASS(TcxStandardMaskAlphaNumericItem)
TL_DEFINE_CLASS(TcxStandardMaskASCIIItem)
TL_DEFINE_CLASS(TcxStandardMaskNumericItem)
TL_DEFINE_CLASS(TcxStandardMaskNumericSymbolItem)
TL_DEFINE_CLASS(TcxStandardMask)

namespace {

bool IsDigit(Char c) { return c >= '0' && c <= '9'; }
bool IsLetter(Char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool TcxStandardMaskManyItem::Check(Char& Ch) const {
  const bool ok = Accepts(Ch);
  switch (FCaseControl) {
    case TcxCaseControl::ccUpperCase:
      if (Ch >= 'a' && Ch <= 'z') Ch = Char(Ch - 'a' + 'A');
      break;
    case TcxCaseControl::ccLowerCase:
      if (Ch >= 'A' && Ch <= 'Z') Ch = Char(Ch - 'A' + 'a');
      break;
    case TcxCaseControl::ccUserCase:
      break;
  }
  return ok;
}

bool TcxStandardMaskAlphaItem::Accepts(Char Ch) const { return IsLetter(Ch); }
bool TcxStandardMaskAlphaNumericItem::Accepts(Char Ch) const { return IsLetter(Ch) || IsDigit(Ch); }
bool TcxStandardMaskASCIIItem::Accepts(Char) const { return true; }
bool TcxStandardMaskNumericItem::Accepts(Char Ch) const { return IsDigit(Ch); }
bool TcxStandardMaskNumericSymbolItem::Accepts(Char Ch) const { return IsDigit(Ch) || Ch == '+' || Ch == '-'; }

void TcxStandardMask::Clear() {
  FMask.clear();
  FItems.clear();
  FSaveLiterals = true;
  FBlankChar = '_';
}

TcxStandardMaskCustomItem* TcxStandardMask::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[size_t(Index)].get();
}

void TcxStandardMask::SetMask(const String& AMask) {
  using enum TcxCaseControl;
  Clear();
  FMask = AMask;
  const String s = !AMask.empty() && AMask[0] == '!' ? AMask.substr(1) : AMask;
  const size_t n = s.size();
  TcxCaseControl caseControl = ccUserCase;
  auto literal = [&](Char c) { FItems.emplace_back(New<TcxStandardMaskLiteralItem>(c)); };
  auto input = [&](TcxStandardMaskCustomItem* item) { FItems.emplace_back(item); };
  for (size_t i = 0; i < n; ++i) {
    const Char c = s[i];
    switch (c) {
      case '0': input(New<TcxStandardMaskNumericItem>(caseControl, false)); break;
      case '9': input(New<TcxStandardMaskNumericItem>(caseControl, true)); break;
      case '#': input(New<TcxStandardMaskNumericSymbolItem>(caseControl, true)); break;
      case 'L': input(New<TcxStandardMaskAlphaItem>(caseControl, false)); break;
      case 'l': input(New<TcxStandardMaskAlphaItem>(caseControl, true)); break;
      case 'A': input(New<TcxStandardMaskAlphaNumericItem>(caseControl, false)); break;
      case 'a': input(New<TcxStandardMaskAlphaNumericItem>(caseControl, true)); break;
      case 'C': input(New<TcxStandardMaskASCIIItem>(caseControl, false)); break;
      case 'c': input(New<TcxStandardMaskASCIIItem>(caseControl, true)); break;
      case '/': literal(FormatSettings.DateSeparator); break;
      case ':': literal(FormatSettings.TimeSeparator); break;
      case '\\':
        if (i + 1 < n) literal(s[++i]);
        break;
      case '>':
        caseControl = ccUpperCase;
        break;
      case '<':
        if (i + 1 < n && s[i + 1] == '>') {
          caseControl = ccUserCase;
          ++i;
        } else {
          caseControl = ccLowerCase;
        }
        break;
      case ';': {
        const size_t rest = n - i - 1;
        const bool flag = rest >= 1 && (s[i + 1] == '0' || s[i + 1] == '1');
        if (flag && rest == 3 && s[i + 2] == ';') {
          FSaveLiterals = s[i + 1] == '1';
          FBlankChar = s[i + 3];
          return;
        }
        if (flag && rest == 1) {
          FSaveLiterals = s[i + 1] == '1';
          return;
        }
        literal(c);
        break;
      }
      default:
        literal(c);
        break;
    }
  }
}

String TcxStandardMask::GetEmptyDisplayText() const {
  String s;
  for (const auto& item : FItems) {
    auto* lit = dynamic_cast<const TcxStandardMaskLiteralItem*>(item.get());
    s += lit ? lit->Literal() : FBlankChar;
  }
  return s;
}

String TcxStandardMask::GetEmptyValueText() const {
  String s;
  for (const auto& item : FItems) {
    auto* lit = dynamic_cast<const TcxStandardMaskLiteralItem*>(item.get());
    if (!lit)
      s += ' ';
    else if (FSaveLiterals)
      s += lit->Literal();
  }
  return s;
}

void TcxStandardMask::FormatText(String& Text, bool UseConverted) const {
  // Each character takes the first free position that accepts it, or, when it is blank, the
  // first free input position. Positions wait in queues by what they accept (literals by
  // their character, input positions by their kind) and every queue is used front first, so
  // a character costs a look at a few queue heads, not a scan of the mask.
  struct Queue {
    std::vector<size_t> at;
    size_t head = 0;
    bool Empty() const { return head == at.size(); }
    size_t Front() const { return at[head]; }
  };
  struct Kind {
    std::type_index type;
    bool input;   // an input position, which a blank character may leave blank
    Queue queue;
  };
  std::array<Queue, 256> literals;
  std::vector<Kind> kinds;
  for (size_t i = 0; i < FItems.size(); ++i) {
    const TcxStandardMaskCustomItem* item = FItems[i].get();
    if (auto* lit = dynamic_cast<const TcxStandardMaskLiteralItem*>(item)) {
      literals[Byte(lit->Literal())].at.push_back(i);
      continue;
    }
    const std::type_index type(typeid(*item));
    auto k = std::find_if(kinds.begin(), kinds.end(), [&](const Kind& x) { return x.type == type; });
    if (k == kinds.end()) {
      kinds.push_back({type, dynamic_cast<const TcxStandardMaskManyItem*>(item) != nullptr, {}});
      k = kinds.end() - 1;
    }
    k->queue.at.push_back(i);
  }

  String display = GetEmptyDisplayText();
  for (Char c : Text) {
    Queue* from = literals[Byte(c)].Empty() ? nullptr : &literals[Byte(c)];
    for (Kind& k : kinds) {
      if (k.queue.Empty() || (from && k.queue.Front() > from->Front())) continue;
      Char probe = c;   // whether a position accepts a character depends on its kind only
      if ((k.input && IsBlank(c)) || FItems[k.queue.Front()]->Check(probe)) from = &k.queue;
    }
    if (!from) continue;   // no free position takes it
    const size_t i = from->Front();
    ++from->head;
    Char converted = c;
    if (FItems[i]->Check(converted)) display[i] = UseConverted ? converted : c;
    // otherwise a blank used up an input position, which stays blank
  }
  Text = display;
}

String TcxStandardMask::GetValueText(const String& DisplayText) const {
  String s;
  const size_t n = std::min(DisplayText.size(), FItems.size());
  for (size_t i = 0; i < n; ++i) {
    const Char c = DisplayText[i];
    if (dynamic_cast<const TcxStandardMaskLiteralItem*>(FItems[i].get())) {
      if (FSaveLiterals) s += c;
    } else {
      s += c == FBlankChar ? ' ' : c;
    }
  }
  return s;
}

bool TcxStandardMask::IsFullValidText(const String& Text) const {
  if (Text.size() != FItems.size()) return false;
  for (size_t i = 0; i < FItems.size(); ++i) {
    Char c = Text[i];
    if (FItems[i]->Check(c)) continue;
    auto* many = dynamic_cast<const TcxStandardMaskManyItem*>(FItems[i].get());
    if (!(many && many->Optional() && IsBlank(Text[i]))) return false;
  }
  return true;
}

bool TcxStandardMask::IsValidText(const String& Text) const {
  if (Text.size() > FItems.size()) return false;
  for (size_t i = 0; i < Text.size(); ++i) {
    Char c = Text[i];
    if (FItems[i]->Check(c)) continue;
    if (!(dynamic_cast<const TcxStandardMaskManyItem*>(FItems[i].get()) && IsBlank(Text[i]))) return false;
  }
  return true;
}

namespace {

Owned<TcxStandardMask> MaskOf(const String& AMask) {
  Owned<TcxStandardMask> mask(New<TcxStandardMask>());
  mask->SetMask(AMask);
  return mask;
}

}  // namespace

String cxStandardMaskFormatText(const String& AMask, const String& AText, Char ABlankChar) {
  Owned<TcxStandardMask> mask = MaskOf(AMask);
  if (ABlankChar != '\0') mask->SetBlankChar(ABlankChar);
  String text = AText;
  mask->FormatText(text, true);
  return text;
}

bool cxStandardMaskIsFullValidText(const String& AMask, const String& AText) {
  return MaskOf(AMask)->IsFullValidText(AText);
}

bool cxStandardMaskIsValidText(const String& AMask, const String& AText) { return MaskOf(AMask)->IsValidText(AText); }

Char cxStandardMaskBlankChar(const String& AMask) { return MaskOf(AMask)->GetBlankChar(); }

bool cxStandardMaskSaveLiterals(const String& AMask) { return MaskOf(AMask)->GetSaveLiterals(); }
