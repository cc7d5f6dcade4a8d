// The compiled expression: compile steps, error collection, the stepping operations
// and the whole-text checks.
#include "widgets/editcore/cxRegExpr.h"

#include "classlib/core/Streams.h"
#include "classlib/core/SysUtils.h"

TL_DEFINE_CLASS(TcxRegExpr)

TcxRegExpr::TcxRegExpr()
    : FErrors(New<TcxRegExprErrors>()), FLexems(New<TcxLexems>()), FStream(New<TMemoryStream>()) {}

TcxRegExpr::~TcxRegExpr() { Clear(); }

void TcxRegExpr::Clear() {
  FStream->Clear();
  FErrors->Clear();
  FLexems->Clear();
  FBlocks.clear();
  FDetached.clear();
  FAutomat.reset();
  FSourceData = nullptr;
  FSourceSize = 0;
  FStreamPosition = 0;
  FLexemIndex = 0;
  FColumn = 0;
  FLine = 1;
  FCompiled = false;
  FItemCount = 0;
  FTooComplex = false;
}

void TcxRegExpr::AddError(Integer ALine, Integer AChar, const TResStringRec& AMessage) {
  if (FErrors->Count() >= MaxErrorCount) return;
  FErrors->Add(New<TcxRegExprError>(ALine, AChar, LoadResString(AMessage)));
}

void TcxRegExpr::AddError(Integer ALine, Integer AChar, const TResStringRec& AMessage, const String& AArg) {
  if (FErrors->Count() >= MaxErrorCount) return;
  FErrors->Add(New<TcxRegExprError>(ALine, AChar, Format(LoadResString(AMessage), {AArg})));
}

void TcxRegExpr::AddError(const TcxLexem& AAt, const TResStringRec& AMessage) {
  AddError(AAt.Line, AAt.Char, AMessage);
}

void TcxRegExpr::AddError(const TcxLexem& AAt, const TResStringRec& AMessage, const String& AArg) {
  AddError(AAt.Line, AAt.Char, AMessage, AArg);
}

void TcxRegExpr::RaiseErrors() { throw EcxRegExprError(*FErrors); }

void TcxRegExpr::Compile(TStream* AStream) {
  // The source is copied before the old state is cleared, so an expression can be
  // compiled again from its own stream.
  Owned<TMemoryStream> source(New<TMemoryStream>());
  bool loaded = false;
  if (AStream) {
    try {
      source->LoadFromStream(*AStream);
      loaded = true;
    } catch (const Exception&) {
      source->Clear();
    }
  }
  if (FFirstCompile)
    FFirstCompile = false;
  else
    Clear();
  FStream = std::move(source);
  if (!loaded) {
    AddError(0, 0, scxRegExprNotAssignedSourceStream);
    RaiseErrors();
  }
  FSourceData = FStream->Memory();
  FSourceSize = Integer(FStream->GetSize());

  bool blank = true;
  for (Integer i = 0; i < FSourceSize && blank; ++i) blank = cxRegExprIsSpace(Char(FSourceData[i]));
  if (blank) {
    AddError(0, 0, scxRegExprEmptySourceStream);
    RaiseErrors();
  }

  Lex();
  if (FErrors->Count() > 0) RaiseErrors();

  Owned<TcxRegExprParserAlts> tree(Parse());
  FBlocks.clear();
  FDetached.clear();
  if (FErrors->Count() == 0 && TcxRegExprAutomat::TransitionCount(tree.get()) > MaxTransitionCount)
    AddError(0, 0, scxRegExprTooComplex);   // long runs of optional items
  if (FErrors->Count() > 0) {
    tree.reset();
    RaiseErrors();
  }
  FAutomat.reset(New<TcxRegExprAutomat>(tree.release(), this));
  FCompiled = true;
  if (FAutoComplete) FAutomat->AutoComplete();
}

TMemoryStream* TcxRegExpr::GetStream() const { return FCompiled ? FStream.get() : nullptr; }

void TcxRegExpr::SetAutoComplete(bool Value) {
  FAutoComplete = Value;
  if (FCompiled && Value) FAutomat->AutoComplete();
}

void TcxRegExpr::CheckCompiled() const {
  if (!FCompiled) throw Exception(scxRegExprNotCompiled);
}

bool TcxRegExpr::Next(Char& Ch) {
  CheckCompiled();
  const bool accepted = FAutomat->Next(Ch, FCaseInsensitive);
  if (accepted && FAutoComplete && !FAutomat->IsFinal()) FAutomat->AutoComplete();
  return accepted;
}

bool TcxRegExpr::Prev() {
  CheckCompiled();
  if (FAutoComplete) FAutomat->UndoAutoComplete();
  return FAutomat->Prev();
}

void TcxRegExpr::Reset() {
  CheckCompiled();
  FAutomat->Reset();
}

bool TcxRegExpr::IsFinal() {
  CheckCompiled();
  return FAutomat->IsFinal();
}

bool TcxRegExpr::IsStart() {
  CheckCompiled();
  return FAutomat->IsStart();
}

String TcxRegExpr::GetAcceptedText(const String& AText) {
  CheckCompiled();
  String result;
  for (Char c : AText) {
    Char copy = c;
    if (FAutomat->Next(copy, FCaseInsensitive)) result += c;
  }
  return result;
}

String TcxRegExpr::GetText() {
  CheckCompiled();
  return FAutomat->GetText();
}

namespace {

// Compiles AMask case-sensitively and feeds AText; false at the first refused character.
bool Feed(TcxRegExpr& AExpr, const String& AText, const String& AMask) {
  Owned<TStringStream> source(New<TStringStream>(AMask));
  AExpr.Compile(source.get());
  for (Char c : AText) {
    Char copy = c;
    if (!AExpr.Next(copy)) return false;
  }
  return true;
}

}  // namespace

bool cxIsTextFullValid(const String& AText, const String& AMask) {
  Owned<TcxRegExpr> expr(New<TcxRegExpr>());
  return Feed(*expr, AText, AMask) && expr->IsFinal();
}

bool cxIsTextValid(const String& AText, const String& AMask) {
  Owned<TcxRegExpr> expr(New<TcxRegExpr>());
  return Feed(*expr, AText, AMask);
}
