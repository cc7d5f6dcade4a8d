// fuzz-links: widgets_editcore
// Input: one flags byte (bit 0 case-insensitive, bit 1 auto-completion), the mask, a NUL,
// then keystrokes (0x7F steps back). Any mask compiles or raises the error list; typing
// keeps every state set within the automaton's consuming states; a second expression
// compiled from the first one's source agrees on the accepted text. The same mask text,
// read as a picture mask, formats the keystrokes into a text it calls valid.
#include "classlib/core/Streams.h"
#include "widgets/editcore/cxRegExpr.h"
#include "widgets/editcore/cxStandardMask.h"

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

Integer ConsumingStates(const TcxRegExprParserAlts* AAlts) {
  Integer n = 0;
  for (Integer i = 0; i < AAlts->Count(); ++i)
    for (Integer j = 0; j < AAlts->Items(i)->Count(); ++j) {
      TcxRegExprParserItem* item = AAlts->Items(i)->Items(j);
      if (auto* block = dynamic_cast<TcxRegExprParserBlockItem*>(item))
        n += ConsumingStates(block->Alts());
      else
        ++n;
    }
  return n;
}

void FuzzRegExpr(bool ACaseInsensitive, bool AAutoComplete, const String& AMask, const String& AKeys) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  e->SetCaseInsensitive(ACaseInsensitive);
  e->SetAutoComplete(AAutoComplete);
  Owned<TStringStream> source(New<TStringStream>(AMask));
  try {
    e->Compile(source.get());
  } catch (const EcxRegExprError& err) {
    Check(err.Errors().Count() > 0 && !e->GetCompiled());
    for (Integer i = 0; i < err.Errors().Count(); ++i) {
      const TcxRegExprError* x = err.Errors().Items(i);
      Check(x->Line() >= 0 && x->Char() >= 0 && !x->FullText().empty());
    }
    return;
  }
  const Integer states = ConsumingStates(e->GetAutomat()->Alts()) + 1;   // and the start state
  String accepted;
  for (Char key : AKeys) {
    if (Byte(key) == 0x7F) {
      if (e->Prev() && !accepted.empty()) accepted.pop_back();
    } else {
      Char c = key;
      if (e->Next(c)) accepted += c;
    }
    Check(e->GetAutomat()->CurrentStates().Count() <= states);
  }
  if (AAutoComplete) return;   // forced characters are not in `accepted`

  // The text accepted so far, replayed into a fresh expression, stands at the same place.
  const bool final = e->IsFinal();
  Owned<TcxRegExpr> again(New<TcxRegExpr>());
  again->SetCaseInsensitive(ACaseInsensitive);
  again->Compile(e->GetStream());
  Check(again->GetAcceptedText(accepted) == accepted);
  Check(again->IsFinal() == final);
  e->Reset();
  Check(e->IsStart());
}

void FuzzPicture(const String& AMask, const String& AKeys) {
  Owned<TcxStandardMask> m(New<TcxStandardMask>());
  m->SetMask(AMask);
  String text = AKeys;
  m->FormatText(text, true);
  Check(Integer(text.size()) == m->Count());
  Check(m->IsValidText(text));
  Check(m->GetValueText(text).size() <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const Byte flags = data[0];
  const String rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t nul = rest.find('\0');
  const String mask = rest.substr(0, nul);
  const String keys = nul == String::npos ? String() : rest.substr(nul + 1);
  FuzzRegExpr(flags & 1, flags & 2, mask, keys);
  FuzzPicture(mask, keys);
  return 0;
}
