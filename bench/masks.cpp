// Mask language against PCRE2 and RE2: compiling, validating whole texts, typing and
// backspacing one keystroke at a time, and masks built to make state sets grow.
// An editor asks after every keystroke whether the text is still a valid beginning of a
// match; the automaton answers incrementally, PCRE2 by a partial match of the whole
// text, RE2 (which has no partial matching) only for whole texts.
#include <benchmark/benchmark.h>

#include "classlib/core/Streams.h"
#include "classlib/core/SysUtils.h"
#include "bench/BenchDesktop.h"
#include "classlib/visual/Forms.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "tests/editcore/RegExprTranslate.h"
#include "widgets/editcore/cxRegExpr.h"
#include "widgets/editcore/cxStandardMask.h"

#ifdef TL_HAVE_PCRE2
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#endif
#ifdef TL_HAVE_RE2
#include <re2/re2.h>
#endif

#include <string>
#include <vector>

namespace {

using regexpr_translate::SystemDateMask;
using regexpr_translate::Translate;

Owned<TcxRegExpr> Compile(const String& AMask) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  Owned<TStringStream> s(New<TStringStream>(AMask));
  e->Compile(s.get());
  return e;
}

const String kIpMask = "(\\d{1,3}\\.){3}\\d{1,3}";
const String kLongDigits = "\\d{200}";
const String kFreeText = "[a-z0-9 ]{0,80}";

const std::vector<String>& DateTexts() {
  static const std::vector<String> texts = {"12/31/2024", "1/1/1999",  "Feb/29/2000", "today",     "today+5",
                                            "eom-123",    "13/1/2000", "1/32/2000",   "Tuesday+1", "seventh"};
  return texts;
}

const String& MaskOf(int64_t which) {
  static const String date = SystemDateMask(), dateTime = SystemDateMask(true);
  switch (which) {
    case 0: return date;
    case 1: return kIpMask;
    case 2: return kLongDigits;
    default: return dateTime;
  }
}

const char* LabelOf(int64_t which) {
  static const char* const labels[] = {"system date mask", "IP address", "\\d{200}", "system date-time mask"};
  return labels[which];
}

// ---- Compile ----

void BM_Compile(benchmark::State& state) {
  const String& mask = MaskOf(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Compile(mask));
  state.SetLabel(LabelOf(state.range(0)));
  state.counters["mask_chars"] = double(mask.size());
}
BENCHMARK(BM_Compile)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

#ifdef TL_HAVE_PCRE2
// Compiled with the JIT for complete and hard-partial matching. The translated pattern
// anchors itself (\A ... \z), so no anchoring option is passed at match time (that option
// would turn the JIT off), and texts are matched where they lie, prefixes by length.
struct Pcre2 {
  explicit Pcre2(const std::string& p) {
    int err;
    PCRE2_SIZE off;
    code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(p.data()), p.size(), 0, &err, &off, nullptr);
    jit = code && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD) == 0;
    data = pcre2_match_data_create_from_pattern(code, nullptr);
  }
  ~Pcre2() {
    pcre2_match_data_free(data);
    pcre2_code_free(code);
  }
  int Match(const char* s, size_t n, uint32_t options) const {
    return pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(s), n, 0, options, data, nullptr);
  }
  bool Whole(const String& s) const { return Match(s.data(), s.size(), 0) >= 0; }
  // Whether the first n characters of s are a valid beginning of a match.
  bool Beginning(const String& s, size_t n) const {
    const int rc = Match(s.data(), n, PCRE2_PARTIAL_HARD);
    return rc >= 0 || rc == PCRE2_ERROR_PARTIAL;
  }
  pcre2_code* code;
  pcre2_match_data* data;
  bool jit = false;
};

void BM_Compile_Pcre2(benchmark::State& state) {
  const std::string pattern = Translate(*Compile(MaskOf(state.range(0))));
  for (auto _ : state) {
    Pcre2 p(pattern);
    benchmark::DoNotOptimize(p.code);
  }
}
BENCHMARK(BM_Compile_Pcre2)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
#endif

#ifdef TL_HAVE_RE2
RE2::Options Latin1() {
  RE2::Options o;
  o.set_encoding(RE2::Options::EncodingLatin1);
  o.set_log_errors(false);
  return o;
}

void BM_Compile_RE2(benchmark::State& state) {
  const std::string pattern = Translate(*Compile(MaskOf(state.range(0))));
  for (auto _ : state) {
    RE2 re(pattern, Latin1());
    benchmark::DoNotOptimize(re.ok());
  }
}
BENCHMARK(BM_Compile_RE2)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
#endif

// ---- Whole texts: 1000 validations against the system date mask ----

void BM_Validate1000(benchmark::State& state) {
  Owned<TcxRegExpr> e = Compile(SystemDateMask());
  for (auto _ : state) {
    int ok = 0;
    for (int i = 0; i < 1000; ++i) {
      e->Reset();
      bool alive = true;
      for (Char c : DateTexts()[size_t(i) % DateTexts().size()]) {
        Char x = c;
        if (!(alive = e->Next(x))) break;
      }
      ok += alive && e->IsFinal();
    }
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_Validate1000)->Unit(benchmark::kMicrosecond);

// What a mode that validates through the unit function pays: a compile per text.
void BM_Validate1000_CompileEach(benchmark::State& state) {
  const String mask = SystemDateMask();
  for (auto _ : state) {
    int ok = 0;
    for (int i = 0; i < 1000; ++i) ok += cxIsTextFullValid(DateTexts()[size_t(i) % DateTexts().size()], mask);
    benchmark::DoNotOptimize(ok);
  }
}

#ifdef TL_HAVE_PCRE2
void BM_Validate1000_Pcre2(benchmark::State& state) {
  Pcre2 p(Translate(*Compile(SystemDateMask())));
  for (auto _ : state) {
    int ok = 0;
    for (int i = 0; i < 1000; ++i) ok += p.Whole(DateTexts()[size_t(i) % DateTexts().size()]);
    benchmark::DoNotOptimize(ok);
  }
  state.SetLabel(p.jit ? "JIT" : "no JIT");
}
BENCHMARK(BM_Validate1000_Pcre2)->Unit(benchmark::kMicrosecond);
#endif

#ifdef TL_HAVE_RE2
void BM_Validate1000_RE2(benchmark::State& state) {
  RE2 re(Translate(*Compile(SystemDateMask())), Latin1());
  for (auto _ : state) {
    int ok = 0;
    for (int i = 0; i < 1000; ++i) ok += RE2::FullMatch(DateTexts()[size_t(i) % DateTexts().size()], re);
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_Validate1000_RE2)->Unit(benchmark::kMicrosecond);
#endif

BENCHMARK(BM_Validate1000_CompileEach)->Unit(benchmark::kMillisecond);

// ---- Keystrokes: type a text of N characters, then backspace it away ----

String FreeText(int64_t n) {
  String s;
  for (int64_t i = 0; i < n; ++i) s += "abc de12 f"[i % 10];
  return s;
}

void BM_TypeAndBackspace(benchmark::State& state) {
  Owned<TcxRegExpr> e = Compile(kFreeText);
  const String text = FreeText(state.range(0));
  for (auto _ : state) {
    e->Reset();
    for (Char c : text) {
      Char x = c;
      benchmark::DoNotOptimize(e->Next(x));
    }
    while (e->Prev()) {
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}

#ifdef TL_HAVE_PCRE2
void BM_TypeAndBackspace_Pcre2(benchmark::State& state) {
  Pcre2 p(Translate(*Compile(kFreeText)));
  const String text = FreeText(state.range(0));
  for (auto _ : state) {
    for (size_t k = 1; k <= text.size(); ++k) benchmark::DoNotOptimize(p.Beginning(text, k));
    for (size_t k = text.size(); k-- > 0;) benchmark::DoNotOptimize(p.Beginning(text, k));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
  state.SetLabel(p.jit ? "JIT" : "no JIT");
}
#endif

// Ours and PCRE2's keystrokes, one length at a time.
BENCHMARK(BM_TypeAndBackspace)->Arg(10)->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_PCRE2
BENCHMARK(BM_TypeAndBackspace_Pcre2)->Arg(10)->Unit(benchmark::kMicrosecond);
#endif
BENCHMARK(BM_TypeAndBackspace)->Arg(50)->Unit(benchmark::kMicrosecond);
#ifdef TL_HAVE_PCRE2
BENCHMARK(BM_TypeAndBackspace_Pcre2)->Arg(50)->Unit(benchmark::kMicrosecond);
#endif

// The same keystrokes through a focused masked editor: the window's message loop, the mode
// and the automaton, against PCRE2's partial match of the same text above.
class MaskEditProgram : public BenchDesktop {
 public:
  explicit MaskEditProgram(const String& AMask) : BenchDesktop(BenchUnits::Editcore) {
    form_ = TCustomForm::CreateNew(nullptr);
    form_->SetBounds(0, 0, 400, 100);
    edit_ = New<TcxMaskEdit>(form_);
    edit_->SetBounds(10, 10, 300, 21);
    edit_->SetParent(form_);
    edit_->GetMaskProperties()->SetMaskKind(TcxEditMaskKind::emkRegExpr);
    edit_->GetMaskProperties()->SetEditMask(AMask);
    form_->Show();
    edit_->SetFocus();
    Host().PumpUntilIdle();
  }
  ~MaskEditProgram() {
    form_->Free();
    Host().PumpUntilIdle();
  }
  TcxMaskEdit* Edit() { return edit_; }

 private:
  TCustomForm* form_ = nullptr;
  TcxMaskEdit* edit_ = nullptr;
};

void BM_MaskEditTypeAndBackspace(benchmark::State& state) {
  MaskEditProgram p(kFreeText);
  const String text = FreeText(state.range(0));
  for (auto _ : state) {
    for (Char c : text) {
      p.Host().Char(c);
      p.Host().PumpUntilIdle();
    }
    for (size_t k = 0; k < text.size(); ++k) {
      p.Host().Key(VK_BACK);
      p.Host().PumpUntilIdle();
    }
  }
  if (!p.Edit()->InnerTextEdit()->GetText().empty()) state.SkipWithError("the text was not typed and erased");
  state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_MaskEditTypeAndBackspace)->Arg(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MaskEditTypeAndBackspace)->Arg(50)->Unit(benchmark::kMicrosecond);

// A mid-text edit as the masked editor performs it: the text up to the caret is fed again.
void BM_MidTextEdit(benchmark::State& state) {
  Owned<TcxRegExpr> e = Compile(SystemDateMask());
  const String text = "12/31/2024";
  for (auto _ : state) {
    e->Reset();
    benchmark::DoNotOptimize(e->GetAcceptedText(text.substr(0, 4) + "9" + text.substr(5)));
  }
}
BENCHMARK(BM_MidTextEdit)->Unit(benchmark::kMicrosecond);

// ---- Masks that make sets grow ----

const char* const kPathological[] = {"(\\d+' '?)+", "(\\w|\\d)+", "(\\d+)+x", "(a?){2,}", "\\d{1000}"};

String PathologicalText(int64_t which, int64_t n) {
  return String(size_t(n), which == 3 ? 'a' : '7');
}

void BM_Pathological(benchmark::State& state) {
  Owned<TcxRegExpr> e = Compile(kPathological[state.range(0)]);
  const String text = PathologicalText(state.range(0), state.range(1));
  Integer peak = 0;
  for (auto _ : state) {
    e->Reset();
    for (Char c : text) {
      Char x = c;
      e->Next(x);
      peak = std::max(peak, e->GetAutomat()->CurrentStates().Count());
    }
  }
  state.SetLabel(kPathological[state.range(0)]);
  state.counters["peak_set"] = double(peak);
  state.counters["history_sets"] = double(e->GetAutomat()->HistoryCount());
}
BENCHMARK(BM_Pathological)
    ->ArgsProduct({{0, 1, 2, 3}, {10, 40}})
    ->Args({4, 1000})
    ->Unit(benchmark::kMicrosecond);

#ifdef TL_HAVE_PCRE2
void BM_Pathological_Pcre2(benchmark::State& state) {
  Pcre2 p(Translate(*Compile(kPathological[state.range(0)])));
  const String text = PathologicalText(state.range(0), state.range(1));
  for (auto _ : state)
    for (size_t k = 1; k <= text.size(); ++k) benchmark::DoNotOptimize(p.Beginning(text, k));
  state.SetLabel(std::string(kPathological[state.range(0)]) + (p.jit ? " JIT" : " no JIT"));
}
BENCHMARK(BM_Pathological_Pcre2)
    ->ArgsProduct({{0, 1, 2, 3}, {10, 40}})
    ->Args({4, 1000})
    ->Unit(benchmark::kMicrosecond);
#endif

// ---- Masks whose automaton blows up, with completion on ----

// Family 0 is (a?){n}a{n}, family 1 is (a{0,n}){0,n}b: both grow with n in the states a set
// holds and in the links each step walks.
String BlowupMask(int64_t which, int64_t n) {
  const String count = IntToStr(Integer(n));
  return which == 0 ? "(a?){" + count + "}a{" + count + "}" : "(a{0," + count + "}){0," + count + "}b";
}

const char* BlowupLabel(int64_t which) { return which == 0 ? "(a?){n}a{n}" : "(a{0,n}){0,n}b"; }

// The mask compiled with completion on, as the completing editor mode compiles it;
// nullptr when the mask is refused.
Owned<TcxRegExpr> CompiledWithCompletion(const String& AMask) {
  Owned<TcxRegExpr> e(New<TcxRegExpr>());
  e->SetAutoComplete(true);
  Owned<TStringStream> s(New<TStringStream>(AMask));
  try {
    e->Compile(s.get());
  } catch (const EcxRegExprError&) {
    return nullptr;
  }
  return e;
}

// Compiling, with completion on.
void BM_BlowupCompile(benchmark::State& state) {
  const String mask = BlowupMask(state.range(0), state.range(1));
  bool refused = false;
  for (auto _ : state) {
    Owned<TcxRegExpr> e = CompiledWithCompletion(mask);
    refused = !e;
    benchmark::DoNotOptimize(e);
  }
  state.SetLabel(String(BlowupLabel(state.range(0))) + (refused ? " refused" : ""));
}
BENCHMARK(BM_BlowupCompile)
    ->ArgsProduct({{0}, {10, 100, 1000}})
    ->ArgsProduct({{1}, {10, 20, 40}})
    ->Unit(benchmark::kMicrosecond);

// Typing 2n characters with completion on, then backspacing them all away, as the
// completing editor mode steps. "first": a fresh expression each time (compiling not
// timed), so every set is met for the first time; "again": the same expression, so the
// sets are met again.
void TypeAndBackspace(TcxRegExpr& AExpr, const String& AText) {
  for (Char c : AText) {
    Char x = c;
    benchmark::DoNotOptimize(AExpr.Next(x));
  }
  while (AExpr.Prev()) {
  }
}

void BM_BlowupTypeWithCompletion(benchmark::State& state) {
  const String mask = BlowupMask(state.range(0), state.range(1));
  const bool again = state.range(2) != 0;
  const String text(size_t(state.range(1)) * 2, 'a');
  Owned<TcxRegExpr> e = CompiledWithCompletion(mask);
  if (!e) {
    state.SkipWithError("the mask is refused");
    return;
  }
  for (auto _ : state) {
    if (again) {
      e->Reset();
      e->SetAutoComplete(true);   // completes what the mask forces at its start
    } else {
      state.PauseTiming();
      e = CompiledWithCompletion(mask);
      state.ResumeTiming();
    }
    TypeAndBackspace(*e, text);
  }
  state.SetLabel(String(BlowupLabel(state.range(0))) + (again ? " again" : " first"));
  state.SetItemsProcessed(state.iterations() * int64_t(text.size()) * 2);
}
BENCHMARK(BM_BlowupTypeWithCompletion)
    ->ArgsProduct({{0}, {10, 100, 1000}, {0, 1}})
    ->ArgsProduct({{1}, {10, 20, 40}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// A long completion over large sets: (a{0,30}){0,30} then k runs of a{1000}. Every
// character up to the last run is forced, so compiling with completion on appends them all,
// each step from a set of up to about a thousand states.
void BM_BlowupLongCompletion(benchmark::State& state) {
  String mask = "(a{0,30}){0,30}";
  for (int64_t i = 0; i < state.range(0); ++i) mask += "a{1000}";
  for (auto _ : state) {
    Owned<TcxRegExpr> e = CompiledWithCompletion(mask);
    if (!e) {
      state.SkipWithError("the mask is refused");
      return;
    }
    state.counters["forced"] = double(e->GetAutomat()->HistoryCount());
  }
}
BENCHMARK(BM_BlowupLongCompletion)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// ---- The picture mask ----

void BM_PictureFormat(benchmark::State& state) {
  Owned<TcxStandardMask> m(New<TcxStandardMask>());
  m->SetMask("!(999) 000-0000;1;_");
  for (auto _ : state) {
    String text = "5551234567";
    m->FormatText(text, true);
    benchmark::DoNotOptimize(m->IsFullValidText(text));
  }
}
BENCHMARK(BM_PictureFormat);

}  // namespace
