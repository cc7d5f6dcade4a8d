// The regular-expression mask language: lexer, parser, the automaton built from the
// parse tree, incremental matching with history, and auto-completion of forced characters.
//
//   TcxRegExpr* e = New<TcxRegExpr>();
//   e->Compile(stream);                  // raises EcxRegExprError with every error found
//   Char c = '5';
//   if (e->Next(c)) ...                  // accepted; c may come back in the mask's case
//   e->Prev();  e->IsFinal();
//
// The language has no anchors, captures or back-tracking: a text matches when the whole
// of it is accepted and the automaton stands in a final state. Masks that would exceed
// the fixed limits below (counts, items, nesting, transitions) are refused with an error,
// so a hostile mask costs bounded time and memory. An expression is used by one thread at
// a time.
#pragma once

#include "classlib/core/Exceptions.h"
#include "classlib/core/Lists.h"
#include "classlib/core/Object.h"
#include "classlib/core/Streams.h"
#include "widgets/editcore/cxRegExprConsts.h"

#include <cstdint>
#include <memory>
#include <vector>

class TcxRegExpr;
class TcxRegExprStates;

// An index into a list of ACount entries, or EListError.
inline size_t cxRegExprListIndex(Integer AIndex, size_t ACount) {
  if (AIndex < 0 || size_t(AIndex) >= ACount) ListIndexError(AIndex);
  return size_t(AIndex);
}

// ---- Lexems -----------------------------------------------------------------------------

TL_ENUM(TcxRegExprLexemCode, relcSymbol, relcSpecial, relcInteger, relcAll, relcId, relcNotId, relcDigit,
        relcNotDigit, relcSpace, relcNotSpace, relcReference, relcDateSeparator, relcTimeSeparator);

struct TcxLexem {
  Integer Char = 0;   // column of the first source character, 1-based within its line
  TcxRegExprLexemCode Code = TcxRegExprLexemCode::relcSymbol;
  Integer Line = 0;
  String Value;       // one character, or the digits of an integer as written
};

class TcxLexems : public TObject {
  TL_CLASS(TcxLexems, TObject)
 public:
  void Add(const TcxLexem& ALexem) { FItems.push_back(ALexem); }
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }
  // Raises EListError for an index outside the list.
  TcxLexem Items(Integer Index) const;

 private:
  std::vector<TcxLexem> FItems;
};

// ---- Errors -----------------------------------------------------------------------------

class TcxRegExprError : public TObject {
  TL_CLASS(TcxRegExprError, TObject)
 public:
  TcxRegExprError(Integer ALine, Integer AChar, String AMessage)
      : FChar(AChar), FLine(ALine), FMessage(std::move(AMessage)) {}
  Integer Char() const { return FChar; }     // 0: no column
  Integer Line() const { return FLine; }     // 0: no position at all
  const String& Message() const { return FMessage; }
  // "Line<n>, Char<c>: <message>", shortened as the position allows.
  String FullText() const;
  TcxRegExprError* Clone() const { return New<TcxRegExprError>(FLine, FChar, FMessage); }

 private:
  Integer FChar;
  Integer FLine;
  String FMessage;
};

class TcxRegExprErrors : public TObject {
  TL_CLASS(TcxRegExprErrors, TObject)
 public:
  // Takes ownership of AError.
  void Add(TcxRegExprError* AError);
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }
  // Raises EListError for an index outside the list.
  TcxRegExprError* Items(Integer Index) const;
  TcxRegExprErrors* Clone() const;

 private:
  std::vector<Owned<TcxRegExprError>> FItems;
};

// "Regular expression errors:" and each error's full text on a line of its own.
String cxRegExprErrorsText(const TcxRegExprErrors& AErrors);

// The errors of one failed compile. The exception keeps its own copy of the list, so it
// stays readable after the expression that raised it is gone. Its message is empty:
// whoever reports the problem builds the text from Errors.
class EcxRegExprError : public Exception {
 public:
  explicit EcxRegExprError(const TcxRegExprErrors& AErrors);
  const TcxRegExprErrors& Errors() const { return *FErrors; }

 private:
  std::shared_ptr<TcxRegExprErrors> FErrors;
};

// ---- Character classes -----------------------------------------------------------------

class TcxRegExprItem : public TObject {
  TL_CLASS(TcxRegExprItem, TObject)
 public:
  // Whether Ch belongs to the class. A case-insensitive symbol match rewrites Ch to the
  // symbol as written in the expression.
  virtual bool Check(::Char& Ch, bool CaseInsensitive) const = 0;
  virtual TcxRegExprItem* Clone() const = 0;
};

class TcxRegExprSymbol : public TcxRegExprItem {
  TL_CLASS(TcxRegExprSymbol, TcxRegExprItem)
 public:
  explicit TcxRegExprSymbol(::Char ASymbol) : FSymbol(ASymbol) {}
  ::Char Symbol() const { return FSymbol; }
  bool Check(::Char& Ch, bool CaseInsensitive) const override;
  TcxRegExprItem* Clone() const override { return New<TcxRegExprSymbol>(FSymbol); }

 private:
  ::Char FSymbol;
};

// The locale's date separator, read at every check.
class TcxRegExprDateSeparator : public TcxRegExprItem {
  TL_CLASS(TcxRegExprDateSeparator, TcxRegExprItem)
 public:
  bool Check(::Char& Ch, bool CaseInsensitive) const override;
  TcxRegExprItem* Clone() const override { return New<TcxRegExprDateSeparator>(); }
};

// The locale's time separator, read at every check.
class TcxRegExprTimeSeparator : public TcxRegExprItem {
  TL_CLASS(TcxRegExprTimeSeparator, TcxRegExprItem)
 public:
  bool Check(::Char& Ch, bool CaseInsensitive) const override;
  TcxRegExprItem* Clone() const override { return New<TcxRegExprTimeSeparator>(); }
};

class TcxRegExprSubrange : public TcxRegExprItem {
  TL_CLASS(TcxRegExprSubrange, TcxRegExprItem)
 public:
  TcxRegExprSubrange(::Char AStartChar, ::Char AFinishChar) : FStartChar(AStartChar), FFinishChar(AFinishChar) {}
  ::Char StartChar() const { return FStartChar; }
  ::Char FinishChar() const { return FFinishChar; }
  bool Check(::Char& Ch, bool CaseInsensitive) const override;   // the case flag is ignored
  TcxRegExprItem* Clone() const override { return New<TcxRegExprSubrange>(FStartChar, FFinishChar); }

 private:
  ::Char FStartChar, FFinishChar;
};

class TcxRegExprEnumeration : public TcxRegExprItem {
  TL_CLASS(TcxRegExprEnumeration, TcxRegExprItem)
 public:
  explicit TcxRegExprEnumeration(bool ANegative) : FNegative(ANegative) {}
  bool Negative() const { return FNegative; }

 protected:
  bool FNegative;
};

// A bracket set: its items in order, negated by a leading "^".
class TcxRegExprUserEnumeration : public TcxRegExprEnumeration {
  TL_CLASS(TcxRegExprUserEnumeration, TcxRegExprEnumeration)
 public:
  explicit TcxRegExprUserEnumeration(bool ANegative) : TcxRegExprEnumeration(ANegative) {}
  void Add(TcxRegExprItem* AItem) { FItems.emplace_back(AItem); }   // takes ownership
  Integer Count() const { return Integer(FItems.size()); }
  TcxRegExprItem* Items(Integer Index) const { return FItems[cxRegExprListIndex(Index, FItems.size())].get(); }
  bool Check(::Char& Ch, bool CaseInsensitive) const override;
  TcxRegExprItem* Clone() const override;

 private:
  std::vector<Owned<TcxRegExprItem>> FItems;
};

class TcxRegExprDigit : public TcxRegExprEnumeration {
  TL_CLASS(TcxRegExprDigit, TcxRegExprEnumeration)
 public:
  explicit TcxRegExprDigit(bool ANegative) : TcxRegExprEnumeration(ANegative) {}
  bool Check(::Char& Ch, bool CaseInsensitive) const override;
  TcxRegExprItem* Clone() const override { return New<TcxRegExprDigit>(FNegative); }
};

class TcxRegExprIdLetter : public TcxRegExprEnumeration {
  TL_CLASS(TcxRegExprIdLetter, TcxRegExprEnumeration)
 public:
  explicit TcxRegExprIdLetter(bool ANegative) : TcxRegExprEnumeration(ANegative) {}
  bool Check(::Char& Ch, bool CaseInsensitive) const override;
  TcxRegExprItem* Clone() const override { return New<TcxRegExprIdLetter>(FNegative); }
};

class TcxRegExprSpace : public TcxRegExprEnumeration {
  TL_CLASS(TcxRegExprSpace, TcxRegExprEnumeration)
 public:
  explicit TcxRegExprSpace(bool ANegative) : TcxRegExprEnumeration(ANegative) {}
  bool Check(::Char& Ch, bool CaseInsensitive) const override;
  TcxRegExprItem* Clone() const override { return New<TcxRegExprSpace>(FNegative); }
};

class TcxRegExprAll : public TcxRegExprItem {
  TL_CLASS(TcxRegExprAll, TcxRegExprItem)
 public:
  bool Check(::Char&, bool) const override { return true; }
  TcxRegExprItem* Clone() const override { return New<TcxRegExprAll>(); }
};

// The six characters the language treats as white space: #32, #0, #9, #10, #12, #13.
bool cxRegExprIsSpace(::Char Ch);
// Whether AText is empty or holds nothing but those six characters.
bool cxRegExprIsBlank(const String& AText);

// ---- Quantifiers -------------------------------------------------------------------------

class TcxRegExprQuantifier : public TObject {
  TL_CLASS(TcxRegExprQuantifier, TObject)
 public:
  virtual bool CanBeEmpty() const = 0;
  virtual bool CanRepeat() const = 0;
  virtual TcxRegExprQuantifier* Clone() const = 0;
  virtual String GetText() const = 0;
};

// Exactly once: what an item without a written quantifier has.
class TcxRegExprSimpleQuantifier : public TcxRegExprQuantifier {
  TL_CLASS(TcxRegExprSimpleQuantifier, TcxRegExprQuantifier)
 public:
  bool CanBeEmpty() const override { return false; }
  bool CanRepeat() const override { return false; }
  TcxRegExprQuantifier* Clone() const override { return New<TcxRegExprSimpleQuantifier>(); }
  String GetText() const override { return String(); }
};

class TcxRegExprQuestionQuantifier : public TcxRegExprQuantifier {
  TL_CLASS(TcxRegExprQuestionQuantifier, TcxRegExprQuantifier)
 public:
  bool CanBeEmpty() const override { return true; }
  bool CanRepeat() const override { return false; }
  TcxRegExprQuantifier* Clone() const override { return New<TcxRegExprQuestionQuantifier>(); }
  String GetText() const override { return "?"; }
};

class TcxRegExprStarQuantifier : public TcxRegExprQuantifier {
  TL_CLASS(TcxRegExprStarQuantifier, TcxRegExprQuantifier)
 public:
  bool CanBeEmpty() const override { return true; }
  bool CanRepeat() const override { return true; }
  TcxRegExprQuantifier* Clone() const override { return New<TcxRegExprStarQuantifier>(); }
  String GetText() const override { return "*"; }
};

class TcxRegExprPlusQuantifier : public TcxRegExprQuantifier {
  TL_CLASS(TcxRegExprPlusQuantifier, TcxRegExprQuantifier)
 public:
  bool CanBeEmpty() const override { return false; }
  bool CanRepeat() const override { return true; }
  TcxRegExprQuantifier* Clone() const override { return New<TcxRegExprPlusQuantifier>(); }
  String GetText() const override { return "+"; }
};

// ---- Automaton states --------------------------------------------------------------------

class TcxRegExprState;

// An ordered list of states (not owning). The sets the automaton forms hold consuming
// states only, each once, in the order they were first reached.
class TcxRegExprStates {
 public:
  void Add(TcxRegExprState* AState) { FItems.push_back(AState); }
  void AddStates(TcxRegExprStates&& AStates);
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }
  TcxRegExprState* Items(Integer Index) const { return FItems[cxRegExprListIndex(Index, FItems.size())]; }
  bool operator==(const TcxRegExprStates&) const = default;

  // The consuming states that accept Ch after some member. Every candidate is tested with
  // the character as typed; Ch comes back unchanged when some accepting state takes it so,
  // else as the first accepting state rewrote it (a case-insensitive symbol).
  TcxRegExprStates Check(::Char& Ch, bool CaseInsensitive) const;
  // The consuming states that may follow some member.
  TcxRegExprStates GetNextStates() const;
  bool IsFinal() const;
  // True when the set is not empty and every member is a symbol or separator state giving
  // one and the same character: the only character that can come next.
  bool GetSingleSymbol(::Char& Ch) const;

 private:
  friend class TcxRegExprState;
  // Keeps the members that accept Ch, with Ch handed back as Check describes. Every member
  // must be a consuming state, as in the sets GetNextStates forms.
  void KeepAccepting(::Char& Ch, bool CaseInsensitive);

  std::vector<TcxRegExprState*> FItems;
};

class TcxRegExprState : public TObject {
  TL_CLASS(TcxRegExprState, TObject)
 public:
  // The consuming states reached when Ch is read at this state.
  virtual TcxRegExprStates Check(::Char& Ch, bool CaseInsensitive);
  // A state of the same class, its character class cloned, without successors.
  virtual TcxRegExprState* Clone() const = 0;
  // The consuming states this state stands for.
  virtual TcxRegExprStates GetSimpleStates();

  void AddNext(TcxRegExprState* AState) { FNext.push_back(AState); }
  void AddNextStates(TcxRegExprStates&& AStates);
  TcxRegExprStates GetNextStates();
  const std::vector<TcxRegExprState*>& Next() const { return FNext; }
  // Whether the state consumes a character (a simple state) or is an empty step.
  bool IsConsuming() const { return FConsuming; }

 protected:
  bool FConsuming = false;

 private:
  friend class TcxRegExprStateWalk;
  std::vector<TcxRegExprState*> FNext;
  uint64_t FMark = 0;   // the walk that last reached this state
};

// A state that consumes one character of its class. Only the automaton's start state has
// no class.
class TcxRegExprSimpleState : public TcxRegExprState {
  TL_CLASS(TcxRegExprSimpleState, TcxRegExprState)
 public:
  explicit TcxRegExprSimpleState(TcxRegExprItem* AItem) : FItem(AItem) { FConsuming = true; }   // takes ownership
  bool Final() const { return FFinal; }
  void SetFinal(bool Value) { FFinal = Value; }
  TcxRegExprItem* Item() const { return FItem.get(); }
  TcxRegExprState* Clone() const override;

 private:
  bool FFinal = false;
  Owned<TcxRegExprItem> FItem;
};

// The empty step at the entry or the exit of a group; resolved through to consuming
// states whenever a set is formed.
class TcxRegExprBlockState : public TcxRegExprState {
  TL_CLASS(TcxRegExprBlockState, TcxRegExprState)
 public:
  TcxRegExprState* Clone() const override { return New<TcxRegExprBlockState>(); }
};

// ---- Parse tree ----------------------------------------------------------------------------

class TcxRegExprParserAlts;

class TcxRegExprParserItem : public TObject {
  TL_CLASS(TcxRegExprParserItem, TObject)
 public:
  TcxRegExprParserItem() : FQuantifier(New<TcxRegExprSimpleQuantifier>()) {}
  // Whether the item can match the empty text, by its quantifier or (for a group) its content.
  virtual bool CanBeEmpty() const = 0;
  // A deep copy without transitions.
  virtual TcxRegExprParserItem* Clone() const = 0;
  virtual String GetText() const = 0;
  // Marks the consuming states that end the item's matches as final.
  virtual void SetFinal() = 0;
  // The state that enters the item and the state that leaves it.
  virtual TcxRegExprState* InState() = 0;
  virtual TcxRegExprState* OutState() = 0;
  // Number of parse items in this subtree, this one included.
  virtual Integer Size() const = 0;
  // Group nesting below this item (0 for a character class).
  virtual Integer Depth() const = 0;

  TcxRegExprQuantifier* Quantifier() const { return FQuantifier.get(); }
  bool QuantifierCanBeEmpty() const { return FQuantifier->CanBeEmpty(); }
  bool QuantifierCanRepeat() const { return FQuantifier->CanRepeat(); }
  bool HasSimpleQuantifier() const;
  // Takes ownership and frees the old quantifier; nullptr changes nothing.
  void SetQuantifier(TcxRegExprQuantifier* AQuantifier);

 protected:
  Owned<TcxRegExprQuantifier> FQuantifier;
};

class TcxRegExprParserSimpleItem : public TcxRegExprParserItem {
  TL_CLASS(TcxRegExprParserSimpleItem, TcxRegExprParserItem)
 public:
  explicit TcxRegExprParserSimpleItem(TcxRegExprItem* AItem) : FState(New<TcxRegExprSimpleState>(AItem)) {}
  TcxRegExprSimpleState* State() const { return FState.get(); }
  bool CanBeEmpty() const override { return QuantifierCanBeEmpty(); }
  TcxRegExprParserItem* Clone() const override;
  String GetText() const override;
  void SetFinal() override { FState->SetFinal(true); }
  TcxRegExprState* InState() override { return FState.get(); }
  TcxRegExprState* OutState() override { return FState.get(); }
  Integer Size() const override { return 1; }
  Integer Depth() const override { return 0; }

 private:
  Owned<TcxRegExprSimpleState> FState;
};

// One alternative: a sequence of items.
class TcxRegExprParserAlt : public TObject {
  TL_CLASS(TcxRegExprParserAlt, TObject)
 public:
  void Add(TcxRegExprParserItem* AItem) { FItems.emplace_back(AItem); }   // takes ownership
  Integer Count() const { return Integer(FItems.size()); }
  TcxRegExprParserItem* Items(Integer Index) const { return FItems[cxRegExprListIndex(Index, FItems.size())].get(); }
  TcxRegExprParserItem* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
  // Puts AItem in place of the last item and hands the old one to the caller.
  TcxRegExprParserItem* ReplaceLast(TcxRegExprParserItem* AItem);
  TcxRegExprParserAlt* Clone() const;
  String GetText() const;

 private:
  std::vector<Owned<TcxRegExprParserItem>> FItems;
};

class TcxRegExprParserAlts : public TObject {
  TL_CLASS(TcxRegExprParserAlts, TObject)
 public:
  TcxRegExprParserAlt* Add();   // a new empty alternative
  TcxRegExprParserAlt* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
  Integer Count() const { return Integer(FItems.size()); }
  TcxRegExprParserAlt* Items(Integer Index) const { return FItems[cxRegExprListIndex(Index, FItems.size())].get(); }
  TcxRegExprParserAlts* Clone() const;
  String GetText() const;
  // Some alternative consists of items skippable by their own quantifier ("?", "*") only.
  bool CanBeSkipped() const;
  // Some alternative consists of items that can match the empty text.
  bool CanBeEmpty() const;

 private:
  std::vector<Owned<TcxRegExprParserAlt>> FItems;
};

// A group: written with parentheses, or made for a repetition or a stacked quantifier.
class TcxRegExprParserBlockItem : public TcxRegExprParserItem {
  TL_CLASS(TcxRegExprParserBlockItem, TcxRegExprParserItem)
 public:
  TcxRegExprParserBlockItem();
  TcxRegExprParserAlts* Alts() const { return FAlts.get(); }
  TcxRegExprBlockState* EntryState() const { return FEntryState.get(); }
  TcxRegExprBlockState* ExitState() const { return FExitState.get(); }
  bool CanBeEmpty() const override;
  TcxRegExprParserItem* Clone() const override;
  String GetText() const override;
  void SetFinal() override;
  TcxRegExprState* InState() override { return FEntryState.get(); }
  TcxRegExprState* OutState() override { return FExitState.get(); }
  Integer Size() const override;
  Integer Depth() const override { return FDepth; }
  // Recomputes the nesting from the items inside (call after changing them).
  void UpdateDepth();

 private:
  Owned<TcxRegExprParserAlts> FAlts;
  Owned<TcxRegExprBlockState> FExitState;
  Owned<TcxRegExprBlockState> FEntryState;
  Integer FDepth = 1;
};

// ---- Automaton ---------------------------------------------------------------------------

class TcxRegExprDfa;

// The state sets met so far are kept once each, with the step from each set on each
// character remembered once it has been worked out (a deterministic automaton built lazily
// from the sets), so a character seen before costs a table look-up.
class TcxRegExprAutomat : public TObject {
  TL_CLASS(TcxRegExprAutomat, TObject)
 public:
  // Takes ownership of the tree, links it and stands at the start.
  TcxRegExprAutomat(TcxRegExprParserAlts* AAlts, TcxRegExpr* AOwner);
  ~TcxRegExprAutomat() override;

  // Accepts Ch (possibly rewritten to the mask's case) or refuses it and changes nothing.
  bool Next(::Char& Ch, bool CaseInsensitive);
  // Steps back one accepted character; false (and no change) at the start.
  bool Prev();
  void Reset();
  bool IsFinal() const;
  bool IsStart() const;
  TcxRegExprStates GetNextStates() const { return CurrentStates().GetNextStates(); }
  // Appends every character the mask forces from here, one history step and one
  // OnSymbolUpdate each.
  void AutoComplete();
  // Removes the forced characters that follow the last free choice, one OnSymbolDelete each.
  void UndoAutoComplete();
  String GetText() const { return FAlts->GetText(); }
  // The number of transitions an automaton of this tree has (a run of n skippable items
  // alone links n * (n + 1) / 2 times).
  static Int64 TransitionCount(const TcxRegExprParserAlts* AAlts);

  // Valid until the next change of position.
  const TcxRegExprStates& CurrentStates() const;
  Integer HistoryCount() const { return Integer(FHistory.size()); }
  // Sets formed from the states' links so far (the work a step or a completion does when
  // it meets a set for the first time), and the times the remembered sets were forgotten.
  Int64 SetsWorkedOut() const;
  Int64 StartOvers() const;
  TcxRegExprParserAlts* Alts() const { return FAlts.get(); }
  TcxRegExprSimpleState* StartState() const { return FStartState.get(); }

 private:
  // Moves to the set ASet, keeping the current one in the history.
  void Advance(TcxRegExprStates&& ASet);
  // Whether the set at AIndex gives one character only / the states after it do.
  bool SetIsSingle(uint32_t AIndex);
  bool SetForces(uint32_t AIndex);
  // The character completion appends here and the set it moves to.
  bool ForcedStep(::Char& Ch, uint32_t& ANext);

  Integer FStateCount = 0;   // consuming states of the tree; bounds auto-completion
  Owned<TcxRegExprParserAlts> FAlts;
  TcxRegExpr* FOwner;
  Owned<TcxRegExprSimpleState> FStartState;
  std::unique_ptr<TcxRegExprDfa> FDfa;
  uint32_t FCurrent = 0;            // the current set, as an index into FDfa
  std::vector<uint32_t> FHistory;   // the sets before it, oldest first
};

// ---- The expression ------------------------------------------------------------------------

using TcxSymbolDeleteEvent = TMethod<void()>;
using TcxSymbolUpdateEvent = TMethod<void(::Char ASymbol)>;

class TcxRegExpr : public TObject {
  TL_CLASS(TcxRegExpr, TObject)
 public:
  // Limits that keep a hostile mask from exhausting time, memory or the stack.
  static constexpr Integer MaxRepeatCount = 1000;     // a brace count
  static constexpr Integer MaxItemCount = 10000;      // parse items, expansions included
  static constexpr Integer MaxItemDepth = 2000;       // nesting of groups, expansions included
  static constexpr Integer MaxBlockNesting = 200;     // parentheses as written
  static constexpr Integer MaxLexemCount = 100000;    // beyond it no mask could stay within the items
  static constexpr Integer MaxErrorCount = 1000;      // errors kept from one compile
  static constexpr Int64 MaxTransitionCount = 200000;  // links between states

  TcxRegExpr();
  ~TcxRegExpr() override;

  // Compiles the whole of AStream (from its beginning). Raises EcxRegExprError with every
  // error of the failing phase; the expression is then not compiled.
  void Compile(TStream* AStream);

  bool GetCompiled() const { return FCompiled; }
  bool GetCaseInsensitive() const { return FCaseInsensitive; }
  void SetCaseInsensitive(bool Value) { FCaseInsensitive = Value; }
  bool GetAutoComplete() const { return FAutoComplete; }
  // Turning auto-completion on in a compiled expression completes at once.
  void SetAutoComplete(bool Value);
  // The compiled source; nullptr while not compiled.
  TMemoryStream* GetStream() const;
  // The errors of the last compile.
  const TcxRegExprErrors& GetErrors() const { return *FErrors; }
  TcxRegExprAutomat* GetAutomat() const { return FAutomat.get(); }

  // The operations below raise Exception ("Regular expression is not compiled") when the
  // expression is not compiled.
  bool Next(::Char& Ch);
  bool Prev();
  void Reset();
  bool IsFinal();
  bool IsStart();
  // Feeds AText from the current position without auto-completion; answers the
  // characters that were accepted, as written in AText.
  String GetAcceptedText(const String& AText);
  String GetText();

  TcxSymbolDeleteEvent OnSymbolDelete;
  TcxSymbolUpdateEvent OnSymbolUpdate;

  void Clear();

 private:
  void CheckCompiled() const;
  [[noreturn]] void RaiseErrors();
  void AddError(Integer ALine, Integer AChar, const TResStringRec& AMessage);
  void AddError(Integer ALine, Integer AChar, const TResStringRec& AMessage, const String& AArg);
  void AddError(const TcxLexem& AAt, const TResStringRec& AMessage);
  void AddError(const TcxLexem& AAt, const TResStringRec& AMessage, const String& AArg);

  // Lexer (cxRegExprLexer.cpp).
  bool ReadChar(::Char& Ch);
  bool Peek(Integer AOffset, ::Char& Ch) const;
  void AddLexem(TcxRegExprLexemCode ACode, const String& AValue, Integer ALine, Integer AChar);
  void Lex();
  void LexEscape();
  void LexQuotedText();
  void LexBracket();
  void LexBrace();

  // Parser (cxRegExprParser.cpp).
  bool NextLexem(TcxLexem& ALexem);
  TcxRegExprParserAlts* Parse();
  bool ParseAlt(TcxRegExprParserAlt* AAlt, bool AInBlock);
  TcxRegExprParserBlockItem* ParseBlock(const TcxLexem& AOpen);
  TcxRegExprParserSimpleItem* ParseEnumeration(const TcxLexem& AOpen);
  bool ReadParamQuantifier(Integer& AMin, Integer& AMax);
  void ExpandParamQuantifier(TcxRegExprParserAlt* AAlt, Integer AMin, Integer AMax, const TcxLexem& AAt);
  void ApplyQuantifier(TcxRegExprParserAlt* AAlt, TcxRegExprQuantifier* AQuantifier, const TcxLexem& AAt);
  bool ReserveItems(Int64 ACount, const TcxLexem& AAt);
  bool CheckDepth(Integer ADepth, const TcxLexem& AAt);
  void AddItem(TcxRegExprParserAlt* AAlt, TcxRegExprItem* AItem, const TcxLexem& AAt);

  Owned<TcxRegExprAutomat> FAutomat;
  std::vector<TcxRegExprParserBlockItem*> FBlocks;
  Integer FColumn = 0;
  bool FCaseInsensitive = false;
  bool FCompiled = false;
  Owned<TcxRegExprErrors> FErrors;
  bool FFirstCompile = true;
  Integer FStreamPosition = 0;
  Integer FLexemIndex = 0;
  Owned<TcxLexems> FLexems;
  Integer FLine = 1;
  Owned<TMemoryStream> FStream;
  bool FAutoComplete = false;

  const Byte* FSourceData = nullptr;  // the bytes being compiled (FStream's memory)
  Integer FSourceSize = 0;
  Integer FItemCount = 0;            // parse items made by this compile
  bool FTooComplex = false;          // the limit error was reported
  // Items taken out of the tree while parsing; references may still clone them.
  std::vector<Owned<TcxRegExprParserItem>> FDetached;

  friend class TcxRegExprAutomat;
};

// Whether the whole of AText matches the expression AMask (case-sensitive).
bool cxIsTextFullValid(const String& AText, const String& AMask);
// Whether AText is a valid beginning of a match of AMask (an empty text always is).
bool cxIsTextValid(const String& AText, const String& AMask);
