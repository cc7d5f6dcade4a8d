// Helpers shared by the mask-language tests: compiling from text, collecting errors,
// walking the compiled tree, and a listener for the auto-completion events.
#pragma once

#include "classlib/core/Streams.h"
#include "widgets/editcore/cxRegExpr.h"

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace regexpr_test {

inline void CompileText(TcxRegExpr& AExpr, const String& ASource) {
  Owned<TStringStream> s(New<TStringStream>(ASource));
  AExpr.Compile(s.get());
}

inline Owned<TcxRegExpr> Compiled(const String& ASource, bool ACaseInsensitive = false) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  e->SetCaseInsensitive(ACaseInsensitive);
  CompileText(*e, ASource);
  return e;
}

struct ErrorRow {
  String Message;
  Integer Line, Char;
  bool operator==(const ErrorRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const ErrorRow& r) {
  return os << "{\"" << r.Message << "\", " << r.Line << ", " << r.Char << "}";
}

// The errors one compile reports, in order; empty when it compiles.
inline std::vector<ErrorRow> ErrorsOf(const String& ASource) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  std::vector<ErrorRow> rows;
  try {
    CompileText(*e, ASource);
  } catch (const EcxRegExprError& err) {
    for (Integer i = 0; i < err.Errors().Count(); ++i) {
      const TcxRegExprError* x = err.Errors().Items(i);
      rows.push_back({x->Message(), x->Line(), x->Char()});
    }
  }
  return rows;
}

// Calls AVisit for every item of the tree, blocks before their contents.
inline void ForEachItem(const TcxRegExprParserAlts* AAlts, const std::function<void(TcxRegExprParserItem*)>& AVisit) {
  for (Integer i = 0; i < AAlts->Count(); ++i)
    for (Integer j = 0; j < AAlts->Items(i)->Count(); ++j) {
      TcxRegExprParserItem* item = AAlts->Items(i)->Items(j);
      AVisit(item);
      if (auto* block = dynamic_cast<TcxRegExprParserBlockItem*>(item)) ForEachItem(block->Alts(), AVisit);
    }
}

// The start state and the states of the tree's character classes.
inline Integer ConsumingStateCount(const TcxRegExpr& AExpr) {
  Integer n = 1;
  ForEachItem(AExpr.GetAutomat()->Alts(), [&](TcxRegExprParserItem* AItem) {
    if (!dynamic_cast<TcxRegExprParserBlockItem*>(AItem)) ++n;
  });
  return n;
}

// Feeds AText; false at the first refusal.
inline bool Type(TcxRegExpr& AExpr, const String& AText) {
  for (Char c : AText) {
    Char x = c;
    if (!AExpr.Next(x)) return false;
  }
  return true;
}

// Records the auto-completion events as text: "+c" per inserted character, "-" per removal.
class EventLog : public TObject {
 public:
  void Attach(TcxRegExpr& AExpr) {
    AExpr.OnSymbolUpdate = TcxSymbolUpdateEvent(this, &EventLog::SymbolUpdate);
    AExpr.OnSymbolDelete = TcxSymbolDeleteEvent(this, &EventLog::SymbolDelete);
  }
  void SymbolUpdate(Char ASymbol) { Log += String("+") + ASymbol; }
  void SymbolDelete() { Log += "-"; }
  String Log;
};

// A compiled expression whose auto-completion events are recorded; auto-completion is
// switched on before the compile when AAutoComplete.
struct Recorded {
  Owned<TcxRegExpr> E{New<TcxRegExpr>()};
  Owned<EventLog> Events{New<EventLog>()};
  explicit Recorded(const String& AMask, bool AAutoComplete = true) {
    Events->Attach(*E);
    E->SetAutoComplete(AAutoComplete);
    CompileText(*E, AMask);
  }
  const String& Log() const { return Events->Log; }
};

}  // namespace regexpr_test
