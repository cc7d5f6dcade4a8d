// The format controller: the one source of the locale's date, time and currency formats
// and of the date masks built from them. It follows locale and clock changes through a
// hidden window and tells its listeners.
#pragma once

#include "classlib/core/Enums.h"
#include "classlib/core/Object.h"
#include "platform/kernel/Types.h"

#include <array>
#include <vector>

TL_ENUM(TcxDateTimeFormatItemKind, dtikString, dtikYear, dtikMonth, dtikDay, dtikHour, dtikMin, dtikSec, dtikMSec,
        dtikTimeSuffix, dtikDateSeparator, dtikTimeSeparator);
TL_ENUM(TcxTimeSuffixKind, tskAP, tskAMPM, tskAMPMString);
TL_ENUM(TcxDateTimeEditMaskKind, dtmkDate, dtmkTime, dtmkDateTime);

struct TcxDateTimeFormatItem {
  TcxDateTimeFormatItemKind Kind = TcxDateTimeFormatItemKind::dtikString;
  // Literal text, or the item's letters as written ("YYYY", "MMM", "AM/PM"); an hour item's
  // letters are preceded by "12" or "24".
  String Data;
  bool operator==(const TcxDateTimeFormatItem&) const = default;
};

struct TcxDateTimeFormatInfo {
  std::array<bool, 11> DefinedItems{};
  std::vector<TcxDateTimeFormatItem> Items;
};

class IcxFormatControllerListener {
 public:
  virtual void FormatChanged() = 0;

 protected:
  ~IcxFormatControllerListener() = default;
};

class IcxFormatControllerListener2 {
 public:
  virtual void TimeChanged() = 0;

 protected:
  ~IcxFormatControllerListener2() = default;
};

class TcxFormatController : public TObject {
  TL_CLASS(TcxFormatController, TObject)
 public:
  TcxFormatController();
  ~TcxFormatController() override;

 protected:
  // The hidden window's procedure: locale and clock notices.
  virtual void WndProc(TMessage& Message);

 public:
  virtual void AddListener(IcxFormatControllerListener* AListener);
  virtual void RemoveListener(IcxFormatControllerListener* AListener);

  void BeginUpdate();
  // The outermost EndUpdate rebuilds when a change was held back, then notifies.
  void EndUpdate();

  // False (and an empty AInfo) when the parse fails; an empty AFormat reads as "C".
  bool GetDateTimeFormatInfo(const String& AFormat, TcxDateTimeFormatInfo& AInfo) const;
  String GetDateTimeStandardMask(const TcxDateTimeFormatInfo& AInfo, TcxDateTimeEditMaskKind AMaskKind) const;
  String GetDateTimeRegExprMask(const TcxDateTimeFormatInfo& AInfo, bool AIsTime) const;
  String GetDateTimeDisplayFormat(const TcxDateTimeFormatInfo& AInfo) const;

  const String& GetCurrencyFormat() const { return FCurrencyFormat; }
  void SetCurrencyFormat(const String& Value);
  const String& GetDateEditFormat() const { return FDateEditFormat; }
  const String& GetComputedStandardDateEditMask() const { return FComputedStandardDateEditMask; }
  const TcxDateTimeFormatInfo& GetDateFormatInfo() const { return FDateFormatInfo; }
  const TcxDateTimeFormatInfo& GetDateTimeFormatInfo() const { return FDateTimeFormatInfo; }
  const TcxDateTimeFormatInfo& GetTimeFormatInfo() const { return FTimeFormatInfo; }
  const String& GetDateDisplayFormat() const { return FDateDisplayFormat; }
  const String& GetDateTimeDisplayFormat() const { return FDateTimeDisplayFormat; }
  const String& GetRegExprDateEditMask() const { return FRegExprDateEditMask; }
  void SetRegExprDateEditMask(const String& Value);
  const String& GetRegExprDateTimeEditMask() const { return FRegExprDateTimeEditMask; }
  void SetRegExprDateTimeEditMask(const String& Value);
  const String& GetStandardDateEditMask() const { return FStandardDateEditMask; }
  void SetStandardDateEditMask(const String& Value);
  const String& GetStandardDateTimeEditMask() const { return FStandardDateTimeEditMask; }
  void SetStandardDateTimeEditMask(const String& Value);
  // 0 Sunday .. 6 Saturday; larger values wrap.
  Byte GetStartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(Byte Value);
  bool GetUseLibraryFormats() const { return FUseLibraryFormats; }
  void SetUseLibraryFormats(bool Value);

  // Switches the date editors read: the time-part handling of a masked date-and-time
  // text, and the smart words. Both on at creation.
  bool GetTimePartHandling() const { return FTimePartHandling; }
  void SetTimePartHandling(bool Value);
  bool GetSmartInput() const { return FSmartInput; }
  void SetSmartInput(bool Value);

  bool GetAssignedCurrencyFormat() const { return FAssignedCurrencyFormat; }
  void SetAssignedCurrencyFormat(bool Value);
  bool GetAssignedRegExprDateEditMask() const { return FAssignedRegExprDateEditMask; }
  void SetAssignedRegExprDateEditMask(bool Value);
  bool GetAssignedRegExprDateTimeEditMask() const { return FAssignedRegExprDateTimeEditMask; }
  void SetAssignedRegExprDateTimeEditMask(bool Value);
  bool GetAssignedStandardDateEditMask() const { return FAssignedStandardDateEditMask; }
  void SetAssignedStandardDateEditMask(bool Value);
  bool GetAssignedStandardDateTimeEditMask() const { return FAssignedStandardDateTimeEditMask; }
  void SetAssignedStandardDateTimeEditMask(bool Value);
  bool GetAssignedStartOfWeek() const { return FAssignedStartOfWeek; }
  void SetAssignedStartOfWeek(bool Value);

  HWND GetWindowHandle() const { return FWindowHandle; }
  size_t ListenerCount() const { return FListeners.size(); }

 private:
  void Changed();
  void Rebuild();
  void NotifyFormatChanged();
  void NotifyTimeChanged();
  String BuildCurrencyFormat() const;
  bool ParseFormat(const String& AFormat, TcxDateTimeFormatInfo& AInfo, int ADepth, bool& AHasSuffix) const;
  template <class T>
  void SetAssigned(bool& AFlag, T& AField, const T& Value);
  void SetFlag(bool& AFlag, bool Value);

  bool FAssignedCurrencyFormat = false;
  bool FAssignedRegExprDateEditMask = false;
  bool FAssignedRegExprDateTimeEditMask = false;
  bool FAssignedStandardDateEditMask = false;
  bool FAssignedStandardDateTimeEditMask = false;
  bool FAssignedStartOfWeek = false;
  String FCurrencyFormat;
  String FDateEditFormat;
  String FComputedStandardDateEditMask;
  TcxDateTimeFormatInfo FDateFormatInfo;
  TcxDateTimeFormatInfo FDateTimeFormatInfo;
  std::vector<IcxFormatControllerListener*> FListeners;
  Integer FUpdateLockCount = 0;
  bool FChangedWhileLocked = false;
  String FDateDisplayFormat;
  String FDateTimeDisplayFormat;
  String FRegExprDateEditMask;
  String FRegExprDateTimeEditMask;
  String FStandardDateEditMask;
  String FStandardDateTimeEditMask;
  Byte FStartOfWeek = 0;
  TcxDateTimeFormatInfo FTimeFormatInfo;
  bool FUseLibraryFormats = false;
  bool FTimePartHandling = true;
  bool FSmartInput = true;
  HWND FWindowHandle = nullptr;
};

// The process-wide controller, made on first use.
TcxFormatController* cxGetFormatController();

// For a 1-based position in the formatted text: the item covering it, its 1-based start
// and length, and for a time suffix its form.
bool cxFindDateTimeFormatItem(const TcxDateTimeFormatInfo& AInfo, Integer APosition, TcxDateTimeFormatItemKind& AKind,
                              Integer& AStart, Integer& ALength, TcxTimeSuffixKind& ATimeSuffixKind);
Integer cxGetDateTimeFormatTextLength(const TcxDateTimeFormatInfo& AInfo);

namespace cxFormats {
// Counted: the first Initialize makes the controller, the balancing Finalize frees it.
void Initialize();
void Finalize();
}  // namespace cxFormats
