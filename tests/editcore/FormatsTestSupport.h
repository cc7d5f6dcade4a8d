// The fixture of the format controller and date tests: the visual units (hidden windows,
// Application's settings switch), message-text overrides, the controller unit, the locale
// hook that broadcasts "intl" as the running program's window layer does, and a clock that
// can be set to a given day.
#pragma once

#include "classlib/core/SysUtils.h"
#include "platform/kernel/Locale.h"
#include "tests/support/AppTest.h"
#include "widgets/editcore/cxDateUtils.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/foundation/cxClasses.h"

#include <utility>
#include <vector>

class FormatsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    GetFormatSettings();
    previousHook_ = SetLocaleChangedHook(UserBroadcastLocaleChange);
    cxClasses::Initialize();
    cxFormats::Initialize();
  }
  void TearDown() override {
    for (auto& [listener, owner] : listeners_) Controller()->RemoveListener(listener);
    listeners_.clear();
    cxFormats::Finalize();
    cxClasses::Finalize();
    SetLocaleChangedHook(previousHook_);
    ResetLocale();
    FormatSettings = DefaultFormatSettings();
    AppTest::TearDown();
  }

  TcxFormatController* Controller() { return cxGetFormatController(); }

  // A listener the fixture registers now and removes and frees at the end of the test.
  template <class T>
  T* Listen() {
    T* l = New<T>();
    listeners_.emplace_back(l, Owned<TObject>(l));
    Controller()->AddListener(l);
    return l;
  }

  // Rebuilds the computed masks and formats from FormatSettings.
  void Rebuild() {
    Controller()->SetAssignedStartOfWeek(true);
    Controller()->SetAssignedStartOfWeek(false);
  }

  // Moves the virtual clock (which starts on 1 January 2026) to noon of the given day,
  // which must not lie before it; noon keeps the local date whatever the time zone.
  void SetToday(Word AYear, Word AMonth, Word ADay) {
    double target = EncodeDate(AYear, AMonth, ADay).Value + 0.5 - EncodeDate(2026, 1, 1).Value;
    UInt64 ms = UInt64(target * 86400000.0) - Clock().Elapsed();
    while (ms > 0) {
      DWORD step = DWORD(std::min<UInt64>(ms, 86400000));
      Clock().Advance(step);
      ms -= step;
    }
  }

 private:
  LocaleChangedHook previousHook_ = nullptr;
  std::vector<std::pair<IcxFormatControllerListener*, Owned<TObject>>> listeners_;
};

// A listener counting what it hears; it may remove itself when told of a format change.
class CountingListener : public TObject, public IcxFormatControllerListener, public IcxFormatControllerListener2 {
 public:
  int Formats = 0;
  int Times = 0;
  bool RemoveSelf = false;
  void FormatChanged() override {
    ++Formats;
    if (RemoveSelf) cxGetFormatController()->RemoveListener(this);
  }
  void TimeChanged() override { ++Times; }
};

class FormatOnlyListener : public TObject, public IcxFormatControllerListener {
 public:
  int Formats = 0;
  void FormatChanged() override { ++Formats; }
};
