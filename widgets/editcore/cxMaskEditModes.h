// The editing strategies of the masked editor, one per kind of mask: a picture mask edited
// in overwrite mode, a regular expression whose automaton accepts the text up to the caret,
// and the same with the forced characters of the expression completed as the user types.
// A mode also formats values for display on a properties object alone, without an editor.
#pragma once

#include "classlib/core/Exceptions.h"
#include "classlib/core/Object.h"
#include "classlib/visual/StdCtrls.h"
#include "widgets/editcore/cxRegExpr.h"
#include "widgets/editcore/cxStandardMask.h"

#include <memory>

TL_ENUM(TcxEditMaskKind, emkStandard, emkRegExpr, emkRegExprEx);

class TcxCustomMaskEdit;
class TcxCustomMaskEditProperties;

class EcxMaskEditError : public Exception {
 public:
  using Exception::Exception;
};

// Key operations answer whether the key should still go on to the inner edit.
class TcxMaskEditCustomMode : public TObject {
  TL_CLASS(TcxMaskEditCustomMode, TObject)
 public:
  TcxMaskEditCustomMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);

  virtual TcxEditMaskKind GetMaskKind() const { return TcxEditMaskKind::emkStandard; }
  virtual void AfterPaste() = 0;
  virtual void Compile(const String& AMask) = 0;
  virtual String GetEmptyString() = 0;
  virtual String GetFormattedText(const String& AText) = 0;
  virtual void SelectText() = 0;
  virtual bool IsCursorBegin() = 0;
  virtual bool IsCursorEnd() = 0;
  virtual bool IsFullValidText(const String& AText) = 0;
  virtual void SetOverwriteSelection() = 0;
  virtual void BeforePaste(const String& AClipboardText) = 0;
  virtual bool Backspace() = 0;
  virtual bool DeleteSelection() = 0;
  virtual bool GotoEnd() = 0;
  virtual bool GotoHome() = 0;
  virtual bool MoveLeft() = 0;
  virtual bool MoveRight() = 0;
  virtual bool PressSymbol(Char& Key) = 0;
  virtual void SetText(const String& AText) = 0;
  virtual void UpdateEditValue();
  virtual void ApplyPendingEmptyText() = 0;
  virtual String GetEditValueText(const String& ADisplayText) = 0;

  TcxCustomMaskEditProperties* GetProperties() const;
  TcxCustomMaskEdit* Edit() const { return FEdit; }
  const String& Mask() const { return FMask; }
  // Whether the mask last given to Compile is usable; a mode that failed to compile refuses
  // typed characters rather than raising from key handling.
  virtual bool IsCompiled() const { return true; }
  void SetInsertedLength(Integer Value) { FInsertedLength = Value; }
  TEditCharCase CharCase = TEditCharCase::ecNormal;

 protected:
  void Beep();
  void ApplyCharCase(Char& Key) const;
  String Text() const;
  Integer SelStart() const;
  Integer SelLength() const;
  void SetSel(Integer AStart, Integer ALength) const;
  // Writes the display text as the user's edit and puts the caret at ACaret.
  void WriteText(const String& AText, Integer ACaret, Integer ASelLength = 0) const;
  bool HasWindow() const;
  bool ShiftPressed() const;

  String FMask;
  TcxCustomMaskEditProperties* FProperties;
  Integer FInsertedLength = 0;
  TcxCustomMaskEdit* FEdit;
  bool FEmptyTextPending = false;
};


class TcxMaskEditStandardMode : public TcxMaskEditCustomMode {
  TL_CLASS(TcxMaskEditStandardMode, TcxMaskEditCustomMode)
 public:
  TcxMaskEditStandardMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);

  void AfterPaste() override;
  void Compile(const String& AMask) override;
  String GetEmptyString() override;
  String GetFormattedText(const String& AText) override;
  void SelectText() override {}
  bool IsCursorBegin() override;
  bool IsCursorEnd() override;
  bool IsFullValidText(const String& AText) override;
  void SetOverwriteSelection() override;
  void BeforePaste(const String& AClipboardText) override;
  bool Backspace() override;
  bool DeleteSelection() override;
  bool GotoEnd() override;
  bool GotoHome() override;
  bool MoveLeft() override;
  bool MoveRight() override;
  bool PressSymbol(Char& Key) override;
  void SetText(const String& AText) override;
  void UpdateEditValue() override;
  void ApplyPendingEmptyText() override;
  String GetEditValueText(const String& ADisplayText) override;
  virtual Char GetBlankChar() const { return FStandardMask->GetBlankChar(); }
  TcxStandardMask* StandardMask() const { return FStandardMask.get(); }

 private:
  bool IsLiteral(Integer APos) const;
  // The next input position from APos on (or before APos when ADirection < 0), or -1.
  Integer NextInput(Integer APos, Integer ADirection) const;

  std::unique_ptr<TcxStandardMask> FStandardMask;
  Integer FPasteStart = 0;
};

// The display text is split at the caret: Head, which the automaton has accepted, and Tail.
// Every key operation derives both from the text and selection again, so that no change the
// mode did not see can put them out of step.
class TcxMaskEditRegExprMode : public TcxMaskEditCustomMode {
  TL_CLASS(TcxMaskEditRegExprMode, TcxMaskEditCustomMode)
 public:
  TcxMaskEditRegExprMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);

  TcxEditMaskKind GetMaskKind() const override { return TcxEditMaskKind::emkRegExpr; }
  void AfterPaste() override {}
  void Compile(const String& AMask) override;
  String GetEmptyString() override { return {}; }
  String GetFormattedText(const String& AText) override;
  void SelectText() override;
  bool IsCursorBegin() override { return SelStart() == 0; }
  bool IsCursorEnd() override { return SelStart() + SelLength() >= Integer(Text().size()); }
  bool IsFullValidText(const String& AText) override;
  void SetOverwriteSelection() override { FNeedsSync = true; }
  void BeforePaste(const String&) override {}
  bool Backspace() override;
  bool DeleteSelection() override;
  bool GotoEnd() override { return true; }
  bool GotoHome() override { return true; }
  bool MoveLeft() override { return true; }
  bool MoveRight() override { return true; }
  bool PressSymbol(Char& Key) override;
  void SetText(const String& AText) override;
  void UpdateEditValue() override;
  void ApplyPendingEmptyText() override;
  String GetEditValueText(const String& ADisplayText) override { return ADisplayText; }
  bool IsCompiled() const override { return FRegExpr->GetCompiled(); }
  void SetCaseInsensitive(bool Value) { FRegExpr->SetCaseInsensitive(Value); }
  TcxRegExpr* RegExpr() const { return FRegExpr.get(); }

 protected:
  // Resets the automaton and feeds it AText; the length of the accepted beginning.
  Integer Feed(const String& AText);
  // Whether ATail is accepted behind the automaton's state (which is left as it was).
  bool TailFits(const String& ATail);
  // Replaces the selection by AInsert: the tail is kept when it still fits, else cut.
  void Replace(const String& AHead, const String& AInsert, const String& ATail);
  virtual bool AutoCompletes() const { return false; }

  bool FPendingFromTail = false;
  String FHead;
  std::unique_ptr<TcxRegExpr> FRegExpr;
  String FPendingText;
  String FTail;
  bool FNeedsSync = false;
};

// Characters that the expression forces are inserted as soon as they are due.
class TcxMaskEditRegExprExMode : public TcxMaskEditRegExprMode {
  TL_CLASS(TcxMaskEditRegExprExMode, TcxMaskEditRegExprMode)
 public:
  TcxMaskEditRegExprExMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);

  TcxEditMaskKind GetMaskKind() const override { return TcxEditMaskKind::emkRegExprEx; }
  void Compile(const String& AMask) override;
  String GetEmptyString() override;
  String GetFormattedText(const String& AText) override;
  bool IsFullValidText(const String& AText) override;
  bool PressSymbol(Char& Key) override;
  bool Backspace() override;
  bool DeleteSelection() override;
  void SetText(const String& AText) override;
  // The characters the expression forces behind the automaton's state, which moves past them.
  String PressContinuation();

 protected:
  bool AutoCompletes() const override { return true; }

 private:
  void SymbolDelete() { ++FDeletedCount; }
  void SymbolUpdate(Char ASymbol) { FInsertedText += ASymbol; }
  // The forced continuation after the automaton's current state.
  String Continuation();

  Integer FDeletedCount = 0;
  Integer FSavedCursor = -1;
  String FInsertedText;
};
