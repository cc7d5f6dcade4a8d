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
#include "widgets/editcore/cxTextEdit.h"

#include <memory>

TL_ENUM(TcxEditMaskKind, emkStandard, emkRegExpr, emkRegExprEx);
// The text of a mask, as the mask property holds it.
using TcxEditMask = String;

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
  // Copies of the text-editor settings the mode follows, kept by the editor.
  TEditCharCase CharCase = TEditCharCase::ecNormal;
  TcxEditEchoMode EchoMode = TcxEditEchoMode::eemNormal;

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

using TcxMaskEditCustomModeClass = TMetaClass<TcxMaskEditCustomMode, TcxCustomMaskEdit*, TcxCustomMaskEditProperties*>;

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
  // The blank a deleted character at the 0-based position APos leaves; #0 leaves the
  // character as it stands (a part that has no empty form).
  virtual Char GetBlankChar(Integer APos) const;
  TcxStandardMask* StandardMask() const { return FStandardMask.get(); }

 private:
  bool IsLiteral(Integer APos) const;
  // With Shift the inner edit selects from the caret: the overwrite selection is collapsed
  // first, a selection the user made is left to be extended.
  bool ShiftSelect();
  // The next input position from APos on (or before APos when ADirection < 0), or -1.
  Integer NextInput(Integer APos, Integer ADirection) const;

  std::unique_ptr<TcxStandardMask> FStandardMask;
  Integer FPasteStart = 0;
  Integer FPasteLength = 0;
  Integer FOverwriteStart = -1;   // where SetOverwriteSelection last selected, -1 after a Shift move
};

// The display text is split at the caret: Head, which the automaton has accepted and
// after which it stands, and Tail. Each key operation moves characters between them one
// step of the automaton at a time. Before it starts, an operation checks that Head and Tail
// still make up the text and that Head ends at the caret; a change the mode did not make
// (a click, a selection set from code, a new text) is caught there and both are derived
// from the text and caret again.
class TcxMaskEditRegExprMode : public TcxMaskEditCustomMode {
  TL_CLASS(TcxMaskEditRegExprMode, TcxMaskEditCustomMode)
 public:
  TcxMaskEditRegExprMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);

  TcxEditMaskKind GetMaskKind() const override { return TcxEditMaskKind::emkRegExpr; }
  void AfterPaste() override;
  void Compile(const String& AMask) override;
  String GetEmptyString() override { return {}; }
  String GetFormattedText(const String& AText) override;
  void SelectText() override;
  bool IsCursorBegin() override { return SelStart() == 0; }
  bool IsCursorEnd() override { return SelStart() + SelLength() >= Integer(Text().size()); }
  bool IsFullValidText(const String& AText) override;
  void SetOverwriteSelection() override { FNeedsSync = true; }
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
  String GetEditValueText(const String& ADisplayText) override { return ADisplayText; }
  virtual void ClearSelection();
  virtual void RestoreSelectedText();
  bool IsCompiled() const override { return FRegExpr->GetCompiled(); }
  void SetCaseInsensitive(bool Value) { FRegExpr->SetCaseInsensitive(Value); }
  TcxRegExpr* RegExpr() const { return FRegExpr.get(); }
  const String& Head() const { return FHead; }
  const String& Tail() const { return FTail; }

 protected:
  // One character through the automaton, without completion; Ch may come back in the
  // mask's case.
  bool Step(Char& Ch);
  // Steps the automaton back ACount characters.
  void StepBack(Integer ACount);
  // Head and Tail in step with the text and caret. False when the text before the caret is
  // not accepted: Head is then the accepted beginning and the operation leaves the text to
  // the inner edit.
  bool Sync();
  // Whether ATail is accepted behind the automaton's state (which is left as it was).
  bool TailFits(const String& ATail);
  // Drops a tail that no longer fits behind Head.
  void CutTailUnlessFits();
  // Shows Head + Tail with the caret after Head.
  void Show();
  // How many characters a step back from the caret removes (the automaton moves back over
  // them); 0 at the start.
  virtual Integer StepBackCount();
  // How many characters after the caret a Delete removes (the automaton is left as it was).
  virtual Integer DeleteCount() { return 1; }
  // Called after an edit has changed the text, before it is shown.
  virtual void AfterEdit() {}
  // Called once a typed character has been taken into Head.
  virtual void AfterSymbol() {}
  // Text before the caret that the mask refuses, or an unusable mask: the key goes to the
  // inner edit as it would without a mask.
  bool LeaveToInnerEdit();

  bool FPendingFromTail = false;
  String FHead;
  std::unique_ptr<TcxRegExpr> FRegExpr;
  String FPendingText;
  String FTail;
  bool FNeedsSync = false;
  // What lay before the caret and the pasted text; the caret goes behind its accepted part.
  String FPasteHead;
  Integer FPasteCaret = -1;
};

// Characters that the expression forces are inserted as soon as they are due and go
// again with the character that forced them. The expression's completion flag is on (its
// compile completes the forced prefix), but the mode steps the automaton itself and asks it
// to complete or undo only at the points where it needs it, so that feeding text that already
// holds the forced characters never inserts them twice.
class TcxMaskEditRegExprExMode : public TcxMaskEditRegExprMode {
  TL_CLASS(TcxMaskEditRegExprExMode, TcxMaskEditRegExprMode)
 public:
  TcxMaskEditRegExprExMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties);

  TcxEditMaskKind GetMaskKind() const override { return TcxEditMaskKind::emkRegExprEx; }
  void Compile(const String& AMask) override;
  String GetEmptyString() override { return FPrefix; }
  String GetFormattedText(const String& AText) override;
  bool IsFullValidText(const String& AText) override;
  bool PressSymbol(Char& Key) override;
  bool Backspace() override;
  bool DeleteSelection() override;
  bool GotoEnd() override;
  bool MoveLeft() override;
  bool MoveRight() override;

 protected:
  Integer StepBackCount() override;
  Integer DeleteCount() override;
  void AfterEdit() override;
  void AfterSymbol() override { TakeContinuation(); }

 private:
  // A selection reaching into the forced prefix is cut back to start behind it; false when
  // nothing of it is left.
  bool SelectionBehindPrefix();
  void SymbolDelete() { ++FDeletedCount; }
  void SymbolUpdate(Char ASymbol) { FInsertedText += ASymbol; }
  // The forced continuation after the automaton's current state; the automaton moves past it.
  String Continuation();
  // Head takes the forced continuation: characters already at the front of Tail are moved
  // over, the others written. True when something was written.
  bool TakeContinuation();

  Integer FDeletedCount = 0;
  String FInsertedText;
  String FPrefix;   // forced at the start of every text
};
