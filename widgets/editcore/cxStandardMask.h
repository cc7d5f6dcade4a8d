// The picture mask: each mask character is an input position of some kind or a literal.
// The mask places typed or pasted characters into its positions, tells complete and
// partial fills apart, and turns the displayed text into the stored value text.
//
//   "!(999) 000-0000;1;_"  a telephone number: literals stored, "_" in empty positions
//   ">LL"                  two letters, shown in upper case
#pragma once

#include "classlib/core/Object.h"

#include <vector>

TL_ENUM(TcxCaseControl, ccUpperCase, ccLowerCase, ccUserCase);

class TcxStandardMaskCustomItem : public TObject {
  TL_CLASS(TcxStandardMaskCustomItem, TObject)
 public:
  // Whether Ch fits the position; an input position also rewrites Ch by its case control.
  virtual bool Check(Char& Ch) const = 0;
};

class TcxStandardMaskLiteralItem : public TcxStandardMaskCustomItem {
  TL_CLASS(TcxStandardMaskLiteralItem, TcxStandardMaskCustomItem)
 public:
  explicit TcxStandardMaskLiteralItem(Char ALiteral) : FLiteral(ALiteral) {}
  Char Literal() const { return FLiteral; }
  bool Check(Char& Ch) const override { return Ch == FLiteral; }

 private:
  Char FLiteral;
};

// An input position. The character is tested as typed, then rewritten by the case
// control whatever the outcome.
class TcxStandardMaskManyItem : public TcxStandardMaskCustomItem {
  TL_CLASS(TcxStandardMaskManyItem, TcxStandardMaskCustomItem)
 public:
  TcxStandardMaskManyItem(TcxCaseControl ACaseControl, bool AOptional)
      : FCaseControl(ACaseControl), FOptional(AOptional) {}
  TcxCaseControl CaseControl() const { return FCaseControl; }
  bool Optional() const { return FOptional; }
  bool Check(Char& Ch) const override;

 protected:
  virtual bool Accepts(Char Ch) const = 0;

 private:
  TcxCaseControl FCaseControl;
  bool FOptional;
};

#define CX_STANDARD_MASK_ITEM(Name)                                              \
  class Name : public TcxStandardMaskManyItem {                                  \
    TL_CLASS(Name, TcxStandardMaskManyItem)                                      \
   public:                                                                       \
    using TcxStandardMaskManyItem::TcxStandardMaskManyItem;                      \
                                                                                 \
   protected:                                                                    \
    bool Accepts(Char Ch) const override;                                        \
  }

CX_STANDARD_MASK_ITEM(TcxStandardMaskAlphaItem);          // A-Z, a-z
CX_STANDARD_MASK_ITEM(TcxStandardMaskAlphaNumericItem);   // 0-9, A-Z, a-z
CX_STANDARD_MASK_ITEM(TcxStandardMaskASCIIItem);          // any character
CX_STANDARD_MASK_ITEM(TcxStandardMaskNumericItem);        // 0-9
CX_STANDARD_MASK_ITEM(TcxStandardMaskNumericSymbolItem);  // 0-9, "+", "-"

#undef CX_STANDARD_MASK_ITEM

class TcxStandardMask : public TObject {
  TL_CLASS(TcxStandardMask, TObject)
 public:
  // Empties the mask: no items, literals saved, "_" as the blank character.
  void Clear();
  // Parses AMask into items; every mask text parses.
  void SetMask(const String& AMask);
  const String& GetMask() const { return FMask; }

  Integer Count() const { return Integer(FItems.size()); }
  TcxStandardMaskCustomItem* Items(Integer Index) const;
  Char GetBlankChar() const { return FBlankChar; }
  void SetBlankChar(Char Value) { FBlankChar = Value; }
  bool GetSaveLiterals() const { return FSaveLiterals; }

  // Literals and the blank character in the input positions.
  String GetEmptyDisplayText() const;
  // Blanks for the input positions; literals only when they are saved.
  String GetEmptyValueText() const;
  // Places the characters of Text into the positions in order; Text becomes the display
  // text. With UseConverted the characters take their positions' case.
  void FormatText(String& Text, bool UseConverted) const;
  // The stored value of a display text: blank characters become #32, literals are kept
  // only when saved, characters beyond the mask are dropped.
  String GetValueText(const String& DisplayText) const;
  // Every position filled as the mask asks; blanks only in optional positions.
  bool IsFullValidText(const String& Text) const;
  // Not longer than the mask, every character fitting its position or blank.
  bool IsValidText(const String& Text) const;

 private:
  bool IsBlank(Char Ch) const { return Ch == FBlankChar || Ch == ' '; }

  Char FBlankChar = '_';
  std::vector<Owned<TcxStandardMaskCustomItem>> FItems;
  bool FSaveLiterals = true;
  String FMask;
};

// The unit's routines over a mask given as text.
// The display text of AText through AMask; ABlankChar #0 keeps the mask's own.
String cxStandardMaskFormatText(const String& AMask, const String& AText, Char ABlankChar = '\0');
bool cxStandardMaskIsFullValidText(const String& AMask, const String& AText);
bool cxStandardMaskIsValidText(const String& AMask, const String& AText);
Char cxStandardMaskBlankChar(const String& AMask);
bool cxStandardMaskSaveLiterals(const String& AMask);
