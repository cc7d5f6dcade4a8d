// Lexem and error lists, the character classes and the quantifiers of the mask language.
#include "classlib/core/Lists.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"
#include "widgets/editcore/cxRegExpr.h"

TL_DEFINE_CLASS(TcxLexems)
TL_DEFINE_CLASS(TcxRegExprError)
TL_DEFINE_CLASS(TcxRegExprErrors)
TL_DEFINE_CLASS(TcxRegExprItem)
TL_DEFINE_CLASS(TcxRegExprSymbol)
TL_DEFINE_CLASS(TcxRegExprDateSeparator)
TL_DEFINE_CLASS(TcxRegExprTimeSeparator)
TL_DEFINE_CLASS(TcxRegExprSubrange)
TL_DEFINE_CLASS(TcxRegExprEnumeration)
TL_DEFINE_CLASS(TcxRegExprUserEnumeration)
TL_DEFINE_CLASS(TcxRegExprDigit)
TL_DEFINE_CLASS(TcxRegExprIdLetter)
TL_DEFINE_CLASS(TcxRegExprSpace)
TL_DEFINE_CLASS(TcxRegExprAll)
TL_DEFINE_CLASS(TcxRegExprQuantifier)
TL_DEFINE_CLASS(TcxRegExprSimpleQuantifier)
TL_DEFINE_CLASS(TcxRegExprQuestionQuantifier)
TL_DEFINE_CLASS(TcxRegExprStarQuantifier)
TL_DEFINE_CLASS(TcxRegExprPlusQuantifier)

bool cxRegExprIsSpace(Char Ch) {
  switch (Byte(Ch)) {
    case 32: case 0: case 9: case 10: case 12: case 13:
      return true;
    default:
      return false;
  }
}

bool cxRegExprIsBlank(const String& AText) {
  for (Char c : AText)
    if (!cxRegExprIsSpace(c)) return false;
  return true;
}

// ---- Lists ----

TcxLexem TcxLexems::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[size_t(Index)];
}

String TcxRegExprError::FullText() const {
  String s;
  if (FLine > 0) {
    s = LoadResString(scxRegExprLine) + IntToStr(FLine);
    if (FChar > 0) s += ", " + LoadResString(scxRegExprChar) + IntToStr(FChar);
    s += ": ";
  }
  return s + FMessage;
}

void TcxRegExprErrors::Add(TcxRegExprError* AError) { FItems.emplace_back(AError); }

TcxRegExprError* TcxRegExprErrors::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[size_t(Index)].get();
}

TcxRegExprErrors* TcxRegExprErrors::Clone() const {
  Owned<TcxRegExprErrors> copy(New<TcxRegExprErrors>());
  for (const auto& e : FItems) copy->Add(e->Clone());
  return copy.release();
}

// A handler that shows only the message still says what is wrong and where.
String cxRegExprErrorsText(const TcxRegExprErrors& AErrors) {
  String s = LoadResString(scxRegExprErrors);
  for (Integer i = 0; i < AErrors.Count(); ++i) s += "\r\n" + AErrors.Items(i)->FullText();
  return s;
}

EcxRegExprError::EcxRegExprError(const TcxRegExprErrors& AErrors)
    : Exception(cxRegExprErrorsText(AErrors)), FErrors(AErrors.Clone(), FreeDeleter()) {}

// ---- Character classes ----

bool TcxRegExprSymbol::Check(Char& Ch, bool CaseInsensitive) const {
  if (Ch == FSymbol) return true;
  if (!CaseInsensitive || CpUpper(Byte(Ch)) != CpUpper(Byte(FSymbol))) return false;
  Ch = FSymbol;   // the text takes the case written in the expression
  return true;
}

bool TcxRegExprDateSeparator::Check(Char& Ch, bool) const { return Ch == FormatSettings.DateSeparator; }

bool TcxRegExprTimeSeparator::Check(Char& Ch, bool) const { return Ch == FormatSettings.TimeSeparator; }

bool TcxRegExprSubrange::Check(Char& Ch, bool) const {
  return Byte(FStartChar) <= Byte(Ch) && Byte(Ch) <= Byte(FFinishChar);
}

bool TcxRegExprUserEnumeration::Check(Char& Ch, bool CaseInsensitive) const {
  bool found = false;
  for (const auto& item : FItems)
    if (item->Check(Ch, CaseInsensitive)) {
      found = true;
      break;
    }
  return found != FNegative;
}

TcxRegExprItem* TcxRegExprUserEnumeration::Clone() const {
  Owned<TcxRegExprUserEnumeration> copy(New<TcxRegExprUserEnumeration>(FNegative));
  for (const auto& item : FItems) copy->Add(item->Clone());
  return copy.release();
}

bool TcxRegExprDigit::Check(Char& Ch, bool) const { return (Ch >= '0' && Ch <= '9') != FNegative; }

bool TcxRegExprIdLetter::Check(Char& Ch, bool) const {
  const bool id = (Ch >= 'a' && Ch <= 'z') || (Ch >= 'A' && Ch <= 'Z') || (Ch >= '0' && Ch <= '9') || Ch == '_';
  return id != FNegative;
}

bool TcxRegExprSpace::Check(Char& Ch, bool) const { return cxRegExprIsSpace(Ch) != FNegative; }
