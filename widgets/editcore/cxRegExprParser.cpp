// The mask language's parser: lexems to a tree of alternatives, items and groups,
// collecting every error it meets. Repetition counts are expanded into copies here.
#include "widgets/editcore/cxRegExpr.h"

#include <algorithm>

using enum TcxRegExprLexemCode;

namespace {

bool IsSpecial(const TcxLexem& L, Char c) { return L.Code == relcSpecial && L.Value.size() == 1 && L.Value[0] == c; }

Char FirstChar(const TcxLexem& L) { return L.Value.empty() ? Char(0) : L.Value[0]; }

// The decimal value of an integer lexem, saturated just above the largest count allowed.
Integer CountValue(const TcxLexem& L) {
  Int64 v = 0;
  for (Char c : L.Value) {
    v = v * 10 + (c - '0');
    if (v > TcxRegExpr::MaxRepeatCount) return TcxRegExpr::MaxRepeatCount + 1;
  }
  return Integer(v);
}

// The character class a lexem stands for inside brackets.
TcxRegExprItem* SetItemOf(const TcxLexem& L) {
  switch (L.Code) {
    case relcAll: return New<TcxRegExprAll>();
    case relcId: return New<TcxRegExprIdLetter>(false);
    case relcNotId: return New<TcxRegExprIdLetter>(true);
    case relcDigit: return New<TcxRegExprDigit>(false);
    case relcNotDigit: return New<TcxRegExprDigit>(true);
    case relcSpace: return New<TcxRegExprSpace>(false);
    case relcNotSpace: return New<TcxRegExprSpace>(true);
    case relcDateSeparator: return New<TcxRegExprDateSeparator>();
    case relcTimeSeparator: return New<TcxRegExprTimeSeparator>();
    default: return New<TcxRegExprSymbol>(FirstChar(L));
  }
}

}  // namespace

bool TcxRegExpr::NextLexem(TcxLexem& ALexem) {
  if (FLexemIndex >= FLexems->Count()) return false;
  ALexem = FLexems->Items(FLexemIndex++);
  return true;
}

bool TcxRegExpr::ReserveItems(Int64 ACount, const TcxLexem& AAt) {
  if (Int64(FItemCount) + ACount > MaxItemCount) {
    if (!FTooComplex) AddError(AAt, scxRegExprTooComplex);
    FTooComplex = true;
    return false;
  }
  FItemCount += Integer(ACount);
  return true;
}

bool TcxRegExpr::CheckDepth(Integer ADepth, const TcxLexem& AAt) {
  if (ADepth <= MaxItemDepth) return true;
  if (!FTooComplex) AddError(AAt, scxRegExprTooComplex);
  FTooComplex = true;
  return false;
}

void TcxRegExpr::AddItem(TcxRegExprParserAlt* AAlt, TcxRegExprItem* AItem, const TcxLexem& AAt) {
  Owned<TcxRegExprItem> item(AItem);
  if (ReserveItems(1, AAt)) AAlt->Add(New<TcxRegExprParserSimpleItem>(item.release()));
}

TcxRegExprParserAlts* TcxRegExpr::Parse() {
  Owned<TcxRegExprParserAlts> alts(New<TcxRegExprParserAlts>());
  while (ParseAlt(alts->Add(), false)) {
  }
  return alts.release();
}

// Parses one alternative into AAlt; answers whether another alternative follows.
bool TcxRegExpr::ParseAlt(TcxRegExprParserAlt* AAlt, bool AInBlock) {
  TcxLexem L;
  if (!NextLexem(L)) {
    AddError(0, 0, scxRegExprEmptyAlt);
    return false;
  }
  if (IsSpecial(L, '|')) {
    AddError(L, scxRegExprEmptyAlt);
    return true;
  }
  if (AInBlock && IsSpecial(L, ')')) {
    AddError(L, scxRegExprEmptyBlock);
    return false;
  }
  do {
    switch (L.Code) {
      case relcSymbol:
        AddItem(AAlt, New<TcxRegExprSymbol>(FirstChar(L)), L);
        break;
      case relcAll: case relcId: case relcNotId: case relcDigit: case relcNotDigit: case relcSpace:
      case relcNotSpace: case relcDateSeparator: case relcTimeSeparator:
        AddItem(AAlt, SetItemOf(L), L);
        break;
      case relcInteger:
        AddError(L, scxRegExprIllegalIntegerValue);
        break;
      case relcReference: {
        const size_t n = size_t(FirstChar(L) - '1');
        if (n >= FBlocks.size()) {
          AddError(L, scxRegExprTooBigReferenceNumber);
        } else if (ReserveItems(FBlocks[n]->Size(), L)) {
          Owned<TcxRegExprParserItem> copy(FBlocks[n]->Clone());
          if (CheckDepth(copy->Depth(), L)) AAlt->Add(copy.release());
        }
        break;
      }
      case relcSpecial:
        switch (FirstChar(L)) {
          case '|':
            return true;
          case '(':
            AAlt->Add(ParseBlock(L));
            break;
          case ')':
            if (AInBlock) return false;
            AddError(L, scxRegExprIllegalSymbol, ")");
            break;
          case '[':
            if (TcxRegExprParserSimpleItem* set = ParseEnumeration(L)) AAlt->Add(set);
            break;
          case '?':
            if (!AAlt->Last())
              AddError(L, scxRegExprIllegalQuantifier, "?");
            else
              ApplyQuantifier(AAlt, New<TcxRegExprQuestionQuantifier>(), L);
            break;
          case '*':
          case '+': {
            const bool star = FirstChar(L) == '*';
            if (!AAlt->Last())
              AddError(L, scxRegExprIllegalQuantifier, L.Value);
            else if (AAlt->Last()->CanBeEmpty())
              AddError(L, star ? scxRegExprCantUseStarQuantifier : scxRegExprCantUsePlusQuantifier);
            else if (star)
              ApplyQuantifier(AAlt, New<TcxRegExprStarQuantifier>(), L);
            else
              ApplyQuantifier(AAlt, New<TcxRegExprPlusQuantifier>(), L);
            break;
          }
          case '{':
            if (!AAlt->Last()) {
              AddError(L, scxRegExprIncorrectParameterQuantifier);
            } else {
              Integer lo = 0, hi = 0;
              if (ReadParamQuantifier(lo, hi)) ExpandParamQuantifier(AAlt, lo, hi, L);
            }
            break;
          case ',':
            break;
          default:   // "}", "]", "-" out of place
            AddError(L, scxRegExprIllegalSymbol, L.Value);
            break;
        }
        break;
    }
  } while (NextLexem(L));
  return false;
}

// After "(": the group's alternatives up to its ")".
TcxRegExprParserBlockItem* TcxRegExpr::ParseBlock(const TcxLexem& AOpen) {
  Owned<TcxRegExprParserBlockItem> block(New<TcxRegExprParserBlockItem>());
  ++FItemCount;
  FBlocks.push_back(block.get());
  while (ParseAlt(block->Alts()->Add(), true)) {
  }
  block->UpdateDepth();
  CheckDepth(block->Depth(), AOpen);
  return block.release();
}

// After "[": the set's items up to "]". A set whose end was consumed as the finish of a
// range is reported as unterminated instead of being read past. nullptr when the set
// would pass the item limit.
TcxRegExprParserSimpleItem* TcxRegExpr::ParseEnumeration(const TcxLexem& AOpen) {
  Owned<TcxRegExprUserEnumeration> set;
  TcxLexem L = AOpen;
  auto missing = [&] {
    const TcxLexem last = FLexems->Items(FLexems->Count() - 1);
    AddError(last, scxRegExprMissing, "]");
  };
  auto result = [&]() -> TcxRegExprParserSimpleItem* {
    if (!ReserveItems(1, AOpen)) return nullptr;
    if (!set) set.reset(New<TcxRegExprUserEnumeration>(false));
    return New<TcxRegExprParserSimpleItem>(set.release());
  };
  if (!NextLexem(L)) {
    missing();
    return result();
  }
  const bool negative = IsSpecial(L, '^');
  set.reset(New<TcxRegExprUserEnumeration>(negative));
  if (negative && !NextLexem(L)) {
    missing();
    return result();
  }
  if (IsSpecial(L, ']')) {
    AddError(L, scxRegExprCantCreateEmptyEnum);
    return result();
  }
  TcxLexem current = L;
  while (!IsSpecial(current, ']')) {
    TcxLexem next;
    if (!NextLexem(next)) {
      missing();
      break;
    }
    if (!IsSpecial(next, '-')) {
      set->Add(SetItemOf(current));
      current = next;
      continue;
    }
    TcxLexem finish;
    if (!NextLexem(finish)) {
      missing();
      break;
    }
    if (Byte(FirstChar(finish)) <= Byte(FirstChar(current)))
      AddError(finish, scxRegExprSubrangeOrder);
    else
      set->Add(New<TcxRegExprSubrange>(FirstChar(current), FirstChar(finish)));
    bool more = NextLexem(current);
    while (more && IsSpecial(current, '-')) {
      AddError(current, scxRegExprIllegalSymbol, "-");
      more = NextLexem(current);
    }
    if (!more) {
      missing();
      break;
    }
  }
  return result();
}

// After "{": {N}, {N,} or {N,M} with N <= M, each count at most MaxRepeatCount.
bool TcxRegExpr::ReadParamQuantifier(Integer& AMin, Integer& AMax) {
  TcxLexem a, b, c, d;
  auto broken = [&](const TcxLexem& at) {
    AddError(at, scxRegExprIncorrectParameterQuantifier);
    return false;
  };
  auto missing = [&] {
    AddError(FLexems->Items(FLexems->Count() - 1), scxRegExprMissing, "}");
    return false;
  };
  if (!NextLexem(a)) return missing();
  if (a.Code != relcInteger) return broken(a);
  if (!NextLexem(b)) return missing();
  if (IsSpecial(b, '}')) {
    AMin = AMax = CountValue(a);
  } else if (IsSpecial(b, ',')) {
    if (!NextLexem(c)) return missing();
    if (IsSpecial(c, '}')) {
      AMin = CountValue(a);
      AMax = -1;
    } else if (c.Code == relcInteger) {
      if (!NextLexem(d)) return missing();
      if (!IsSpecial(d, '}')) return broken(d);
      AMin = CountValue(a);
      AMax = CountValue(c);
      if (AMax > MaxRepeatCount || AMax < AMin) return broken(c);
    } else {
      return broken(c);
    }
  } else {
    return broken(b);
  }
  if (AMin > MaxRepeatCount) return broken(a);
  return true;
}

// Replaces the last item x by a group of copies: x{n} = n copies, x{n,} = n copies and
// x*, x{n,m} = n copies and the optional tail T(n), T(i) = x? when i >= m - 1, else
// (x T(i+1))?.
void TcxRegExpr::ExpandParamQuantifier(TcxRegExprParserAlt* AAlt, Integer AMin, Integer AMax, const TcxLexem& AAt) {
  TcxRegExprParserItem* x = AAlt->Last();
  if (x->QuantifierCanBeEmpty()) {
    AddError(AAt, scxRegExprCantUseParameterQuantifier);
    return;
  }
  const Int64 size = x->Size();
  const Integer optional = AMax > AMin ? AMax - AMin : 0;
  Int64 need = 1 + Int64(AMin) * size;
  if (AMax == -1)
    need += size;
  else if (optional > 0)
    need += Int64(optional) * size + (optional - 1);
  const Integer depth = x->Depth() + 1 + std::max(optional - 1, 0);
  if (!CheckDepth(depth, AAt) || !ReserveItems(need, AAt)) return;

  Owned<TcxRegExprParserBlockItem> block(New<TcxRegExprParserBlockItem>());
  TcxRegExprParserAlt* alt = block->Alts()->Add();
  for (Integer i = 0; i < AMin; ++i) alt->Add(x->Clone());
  if (AMax == -1) {
    Owned<TcxRegExprParserItem> star(x->Clone());
    star->SetQuantifier(New<TcxRegExprStarQuantifier>());
    alt->Add(star.release());
  } else if (optional > 0) {
    Owned<TcxRegExprParserItem> tail(x->Clone());
    tail->SetQuantifier(New<TcxRegExprQuestionQuantifier>());
    for (Integer i = AMax - 2; i >= AMin; --i) {
      Owned<TcxRegExprParserBlockItem> outer(New<TcxRegExprParserBlockItem>());
      outer->SetQuantifier(New<TcxRegExprQuestionQuantifier>());
      TcxRegExprParserAlt* seq = outer->Alts()->Add();
      seq->Add(x->Clone());
      seq->Add(tail.release());
      outer->UpdateDepth();
      tail.reset(outer.release());
    }
    alt->Add(tail.release());
  }
  block->UpdateDepth();
  // x leaves the tree but stays alive: a later reference may still copy the group it is.
  FDetached.emplace_back(AAlt->ReplaceLast(block.release()));
}

// A second quantifier nests: the item moves into a new group that takes the quantifier.
void TcxRegExpr::ApplyQuantifier(TcxRegExprParserAlt* AAlt, TcxRegExprQuantifier* AQuantifier, const TcxLexem& AAt) {
  Owned<TcxRegExprQuantifier> q(AQuantifier);
  TcxRegExprParserItem* x = AAlt->Last();
  if (x->HasSimpleQuantifier()) {
    x->SetQuantifier(q.release());
    return;
  }
  if (!CheckDepth(x->Depth() + 1, AAt) || !ReserveItems(1, AAt)) return;
  Owned<TcxRegExprParserBlockItem> block(New<TcxRegExprParserBlockItem>());
  TcxRegExprParserAlt* alt = block->Alts()->Add();
  TcxRegExprParserBlockItem* b = block.get();
  alt->Add(AAlt->ReplaceLast(block.release()));
  b->SetQuantifier(q.release());
  b->UpdateDepth();
}
