#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "tests/classlib/StreamFixtures.h"
#include "classlib/core/FormText.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

String Bytes(TMemoryStream& m) { return String(reinterpret_cast<const char*>(m.Memory()), size_t(m.GetSize())); }

class ComponentStream : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterStreamTestClasses();
    RegisterStreamTestColors();
  }
  void TearDown() override { UnregisterIntegerConsts("TTestColor"); }

  static Owned<TStreamRoot> MakeTree() {
    Owned<TStreamRoot> root(New<TStreamRoot>(nullptr));
    root->SetName("Main");
    root->SetCaption("Root caption");
    auto* a = New<TStreamPart>(root.get());
    a->SetName("PartA");
    a->SetCaption(String(300, 'x') + "\xE9");  // long: the 4-byte length form
    a->SetCount(70000);
    a->SetBig(Int64(1) << 40);
    a->SetSmall(-300);
    a->SetRatio(0.1);
    a->SetWhen(45000.75);
    a->SetPrice(Currency::FromRaw(123456));
    a->SetFlag(true);
    a->SetLetter('z');
    a->SetFruit(TFruit::frPlum);
    a->SetFruits({TFruit::frPear, TFruit::frQuince});
    a->SetWide(u"Wide \u00FC \u2603");
    a->SetValue(Variant(Integer(42)));
    a->GetFont()->SetName("Tahoma");
    a->GetFont()->SetSize(12);
    a->GetFont()->SetColor(0x0000FF);
    a->GetFont()->SetStyle({TFruit::frApple});
    auto* i1 = static_cast<TStreamItem*>(a->GetItems()->Add());
    i1->SetCaption("first");
    i1->SetKind(TFruit::frPear);
    auto* i2 = static_cast<TStreamItem*>(a->GetItems()->Add());
    i2->SetWidth(7);
    a->GetLines()->SetCommaText("one,\"two words\"");
    a->OnPing = TNotifyEvent(root.get(), &TStreamRoot::Ping);
    a->Blob = String("\0\1\2binary", 9);
    a->SetSecret("shown");
    auto* b = New<TStreamPart>(root.get());
    b->SetName("PartB");
    b->SetSecret("hidden");
    a->SetBuddy(b);
    b->SetBuddy(a);
    auto* g = New<TStreamGroup>(root.get());
    g->SetName("Group");
    g->GetFont()->SetColor(0x123456);
    auto* inner = New<TStreamPart>(g);
    inner->SetName("Inner");
    inner->SetBuddy(a);
    inner->SetCount(-1);
    return root;
  }

  static String Write(TComponent* root) {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    m->WriteComponent(root);
    return Bytes(*m);
  }

  static TComponent* Read(const String& bytes, TComponent* into = nullptr) {
    Owned<TStringStream> s(New<TStringStream>(bytes));
    return s->ReadComponent(into);
  }

  // Reads bytes expecting an EReadError; returns its message.
  static std::string ReadError(const String& bytes) {
    return MessageOf<EReadError>([&] { Read(bytes)->Free(); });
  }

  static void ExpectSameParts(TStreamPart* x, TStreamPart* y) {
    SCOPED_TRACE(x->GetName());
    EXPECT_EQ(x->GetName(), y->GetName());
    EXPECT_EQ(&x->ClassType(), &y->ClassType());
    EXPECT_EQ(x->GetCaption(), y->GetCaption());
    EXPECT_EQ(x->GetCount(), y->GetCount());
    EXPECT_EQ(x->GetBig(), y->GetBig());
    EXPECT_EQ(x->GetSmall(), y->GetSmall());
    EXPECT_EQ(x->GetRatio(), y->GetRatio());
    EXPECT_EQ(double(x->GetWhen()), double(y->GetWhen()));
    EXPECT_EQ(x->GetPrice(), y->GetPrice());
    EXPECT_EQ(x->GetFlag(), y->GetFlag());
    EXPECT_EQ(x->GetLetter(), y->GetLetter());
    EXPECT_EQ(x->GetFruit(), y->GetFruit());
    EXPECT_EQ(x->GetFruits(), y->GetFruits());
    EXPECT_EQ(x->GetWide(), y->GetWide());
    EXPECT_EQ(VarType(x->GetValue()), VarType(y->GetValue()));
    EXPECT_EQ(VarToStr(x->GetValue()), VarToStr(y->GetValue()));
    EXPECT_EQ(x->GetFont()->GetName(), y->GetFont()->GetName());
    EXPECT_EQ(x->GetFont()->GetSize(), y->GetFont()->GetSize());
    EXPECT_EQ(x->GetFont()->GetColor(), y->GetFont()->GetColor());
    EXPECT_EQ(x->GetFont()->GetStyle(), y->GetFont()->GetStyle());
    ASSERT_EQ(x->GetItems()->Count(), y->GetItems()->Count());
    for (Integer i = 0; i < x->GetItems()->Count(); ++i) {
      auto* p = static_cast<TStreamItem*>(x->GetItems()->Items(i));
      auto* q = static_cast<TStreamItem*>(y->GetItems()->Items(i));
      EXPECT_EQ(p->GetCaption(), q->GetCaption());
      EXPECT_EQ(p->GetWidth(), q->GetWidth());
      EXPECT_EQ(p->GetKind(), q->GetKind());
    }
    EXPECT_TRUE(x->GetLines()->Equals(y->GetLines()));
    EXPECT_EQ(x->Blob, y->Blob);
    EXPECT_EQ(x->GetBuddy() ? x->GetBuddy()->GetName() : "", y->GetBuddy() ? y->GetBuddy()->GetName() : "");
    EXPECT_EQ(bool(x->OnPing), bool(y->OnPing));
    ASSERT_EQ(x->ComponentCount(), y->ComponentCount());
    for (Integer i = 0; i < x->ComponentCount(); ++i)
      ExpectSameParts(static_cast<TStreamPart*>(x->Components(i)), static_cast<TStreamPart*>(y->Components(i)));
  }
};

String Str(const char* s, size_t n) { return String(s, n); }

}  // namespace

TEST_F(ComponentStream, RoundTripRebuildsTheTree) {
  Owned<TStreamRoot> tree = MakeTree();
  String bytes = Write(tree.get());
  Owned<TComponent> copy(Read(bytes));
  auto* root = dynamic_cast<TStreamRoot*>(copy.get());
  ASSERT_NE(root, nullptr);
  ExpectSameParts(tree.get(), root);

  // References point into the new tree, and events reach the new root.
  auto* a = static_cast<TStreamPart*>(root->FindComponent("PartA"));
  auto* b = static_cast<TStreamPart*>(root->FindComponent("PartB"));
  auto* inner = static_cast<TStreamPart*>(root->FindComponent("Group")->FindComponent("Inner"));
  EXPECT_EQ(a->GetBuddy(), b);
  EXPECT_EQ(b->GetBuddy(), a);
  EXPECT_EQ(inner->GetBuddy(), a);
  EXPECT_EQ(inner->Owner(), root->FindComponent("Group"));
  a->OnPing(a);
  EXPECT_EQ(root->Pinged, std::vector<TObject*>{a});
  // The secret is stored only when it is not "hidden".
  EXPECT_EQ(b->GetSecret(), "");
  EXPECT_EQ(a->GetSecret(), "shown");
}

TEST_F(ComponentStream, LoadedRunsAfterTheWholeTreeWithReadingCleared) {
  Owned<TStreamRoot> tree = MakeTree();
  Owned<TComponent> copy(Read(Write(tree.get())));
  std::vector<TStreamPart*> all{static_cast<TStreamPart*>(copy.get())};
  for (Integer i = 0; i < copy->ComponentCount(); ++i) all.push_back(static_cast<TStreamPart*>(copy->Components(i)));
  for (TStreamPart* p : all) {
    SCOPED_TRACE(p->GetName());
    EXPECT_EQ(p->StateAtLoaded, (std::vector<std::string>{"loading", "not reading"}));
    EXPECT_FALSE(p->InState(TComponentStateItem::csLoading));
  }
}

TEST_F(ComponentStream, DefaultsAreLeftOutAndTheLayoutIsTheBinaryForm) {
  Owned<TStreamRoot> fresh(New<TStreamRoot>(nullptr));
  // Signature, class, empty name, the (always written) empty collection, end of
  // properties, end of children.
  String expected = Str("TPF0\x0BTStreamRoot\x00\x05Items\x0E\x00\x00\x00", 4 + 12 + 1 + 6 + 2 + 2);
  EXPECT_EQ(Write(fresh.get()), expected);

  fresh->SetCount(0x1234);
  fresh->SetFlag(true);
  fresh->SetFruits({TFruit::frPlum});
  String bytes = Write(fresh.get());
  EXPECT_NE(bytes.find(Str("\x05" "Count\x03\x34\x12", 9)), String::npos);
  EXPECT_NE(bytes.find(Str("\x04" "Flag\x09", 6)), String::npos);
  EXPECT_NE(bytes.find(Str("\x06" "Fruits\x0B\x06" "frPlum\x00", 16)), String::npos);
}

TEST_F(ComponentStream, NamedConstantsAreWrittenAsIdentifiersAndReadBack) {
  Owned<TStreamRoot> r(New<TStreamRoot>(nullptr));
  r->GetFont()->SetColor(0x00FF00);
  String bytes = Write(r.get());
  EXPECT_NE(bytes.find(Str("\x0A" "Font.Color\x07\x0B" "clTestGreen", 24)), String::npos);
  Owned<TComponent> copy(Read(bytes));
  EXPECT_EQ(static_cast<TStreamRoot*>(copy.get())->GetFont()->GetColor(), 0x00FF00);
  UnregisterIntegerConsts("TTestColor");
  EXPECT_NE(ReadError(bytes).find("clTestGreen"), std::string::npos);  // no table: the identifier is unknown
}

namespace {
// A stream of a root with one hand-made property value.
String RootWith(const std::function<void(TWriter&)>& props, const char* cls = "TStreamRoot") {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  Owned<TWriter> w(New<TWriter>(*m));
  w->WriteSignature();
  w->WriteStr(cls);
  w->WriteStr("R");
  props(*w);
  w->WriteListEnd();
  w->WriteListEnd();
  return Bytes(*m);
}
}  // namespace

TEST_F(ComponentStream, EventsBindOnlyToPublishedMethodsOfTheRightShape) {
  auto bind = [](const char* method) {
    return RootWith([method](TWriter& w) {
      w.WriteStr("OnPing");
      w.WriteIdent(method);
    });
  };
  Owned<TComponent> ok(Read(bind("ping")));
  auto* root = static_cast<TStreamRoot*>(ok.get());
  root->OnPing(root);
  EXPECT_EQ(root->Pinged.size(), 1u);

  std::string wrong = ReadError(bind("WrongShape"));
  EXPECT_NE(wrong.find("does not match"), std::string::npos) << wrong;
  EXPECT_NE(wrong.find("at offset 25"), std::string::npos) << wrong;  // the value after "OnPing"
  std::string missing = ReadError(bind("Nowhere"));
  EXPECT_NE(missing.find("Nowhere not found"), std::string::npos) << missing;
}

TEST_F(ComponentStream, BadValuesAreReadErrorsNamingTheProblem) {
  auto one = [](const char* prop, const std::function<void(TWriter&)>& value) {
    return ReadError(RootWith([&](TWriter& w) {
      w.WriteStr(prop);
      value(w);
    }));
  };
  EXPECT_NE(one("Bogus", [](TWriter& w) { w.WriteInteger(1); }).find("Property Bogus does not exist"),
            std::string::npos);
  EXPECT_NE(one("Fruit", [](TWriter& w) { w.WriteIdent("frBanana"); }).find("frBanana"), std::string::npos);
  EXPECT_NE(one("Small", [](TWriter& w) { w.WriteInteger(70000); }).find("Invalid property value"),
            std::string::npos);
  EXPECT_NE(one("Buddy", [](TWriter& w) { w.WriteIdent("Nobody"); }).find("Nobody not found"), std::string::npos);
  EXPECT_NE(one("Font.Size", [](TWriter& w) { w.WriteInteger(-1); }).find("Error reading Font.Size: Size must"),
            std::string::npos);
  EXPECT_NE(one("Font", [](TWriter& w) { w.WriteInteger(1); }).find("Invalid property value"), std::string::npos);
}

TEST_F(ComponentStream, UnknownClassesAndUncreatableClassesAreRefused) {
  EXPECT_THROW(Read(RootWith([](TWriter&) {}, "TNoSuchClass")), EClassNotFound);
  RegisterClass(TStreamFont::StaticClass());
  EXPECT_NE(ReadError(RootWith([](TWriter&) {}, "TStreamFont")).find("cannot be created"), std::string::npos);
  UnRegisterClass(TStreamFont::StaticClass());
}

TEST_F(ComponentStream, EveryTruncationIsAReadErrorAndLeaksNothing) {
  Owned<TStreamRoot> tree = MakeTree();
  String bytes = Write(tree.get());
  for (size_t n = 0; n < bytes.size(); ++n) {
    try {
      TComponent* c = Read(bytes.substr(0, n));
      c->Free();
      ADD_FAILURE() << "a stream cut at " << n << " was accepted";
    } catch (const EStreamError&) {
    }
  }
}

TEST_F(ComponentStream, HostileLengthsNestingAndTypesAreRefused) {
  // A long string claiming two gigabytes.
  String huge = RootWith([](TWriter& w) { w.WriteStr("Caption"); });
  huge.insert(huge.size() - 2, Str("\x0C\xFF\xFF\xFF\x7F", 5));
  EXPECT_NE(ReadError(huge).find("Invalid length"), std::string::npos);
  // A negative binary length.
  String neg = RootWith([](TWriter& w) { w.WriteStr("Blob"); });
  neg.insert(neg.size() - 2, Str("\x0A\xFF\xFF\xFF\xFF", 5));
  EXPECT_NE(ReadError(neg).find("Invalid length"), std::string::npos);
  // An undefined value type.
  String bad = RootWith([](TWriter& w) { w.WriteStr("Count"); });
  bad.insert(bad.size() - 2, Str("\xEE", 1));
  EXPECT_NE(ReadError(bad).find("Invalid value type 238"), std::string::npos);
  EXPECT_NE(ReadError("TPF1").find("Invalid stream format"), std::string::npos);

  // Components nested far deeper than any description.
  Owned<TMemoryStream> m(New<TMemoryStream>());
  Owned<TWriter> w(New<TWriter>(*m));
  w->WriteSignature();
  const int depth = 5000;
  for (int i = 0; i < depth; ++i) {
    w->WriteStr(i == 0 ? "TStreamRoot" : "TStreamGroup");
    w->WriteStr("");
    w->WriteListEnd();
  }
  for (int i = 0; i < depth; ++i) w->WriteListEnd();
  EXPECT_NE(ReadError(Bytes(*m)).find("Nesting too deep"), std::string::npos);

  // Lists nested inside a defined property that is skipped.
  String lists = RootWith([](TWriter& w) { w.WriteStr("Lines.Strings"); });
  lists.insert(lists.size() - 2, String(5000, '\x01'));
  EXPECT_FALSE(ReadError(lists).empty());
}

TEST_F(ComponentStream, DuplicateChildNamesAreReadErrors) {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  Owned<TWriter> w(New<TWriter>(*m));
  w->WriteSignature();
  w->WriteStr("TStreamRoot");
  w->WriteStr("R");
  w->WriteListEnd();
  for (int i = 0; i < 2; ++i) {
    w->WriteStr("TStreamPart");
    w->WriteStr("Twin");
    w->WriteListEnd();
    w->WriteListEnd();
  }
  w->WriteListEnd();
  EXPECT_NE(ReadError(Bytes(*m)).find("A component named Twin already exists"), std::string::npos);
}

TEST(ExtendedFloat, KnownEncodingsAndRoundTrips) {
  Byte b[10];
  DoubleToExtended(1.0, b);
  EXPECT_EQ(String(reinterpret_cast<char*>(b), 10), Str("\0\0\0\0\0\0\0\x80\xFF\x3F", 10));
  for (double v : {0.1, -1e300, 5e-324, -0.0, std::numeric_limits<double>::infinity()}) {
    DoubleToExtended(v, b);
    double back = ExtendedToDouble(b);
    EXPECT_EQ(std::bit_cast<uint64_t>(back), std::bit_cast<uint64_t>(v)) << v;
  }
  DoubleToExtended(std::numeric_limits<double>::quiet_NaN(), b);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(b)));
  // Beyond the double range: infinity and zero, not undefined behaviour.
  const Byte big[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
  EXPECT_TRUE(std::isinf(ExtendedToDouble(big)));
  const Byte tiny[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};
  EXPECT_EQ(ExtendedToDouble(tiny), 0.0);
}

TEST_F(ComponentStream, VariantPropertiesKeepTheirTypes) {
  const Variant values[] = {Null(),
                            Variant(Integer(-7)),
                            Variant(Int64(1) << 40),
                            Variant(2.5),
                            Variant(float(0.25f)),
                            Variant(Currency::FromRaw(15000)),
                            Variant(TDateTime(40000.5)),
                            Variant(true),
                            Variant(String("text")),
                            Variant(WideString(u"\u2603"))};
  for (const Variant& v : values) {
    SCOPED_TRACE(VarTypeAsText(VarType(v)));
    Owned<TStreamRoot> r(New<TStreamRoot>(nullptr));
    r->SetValue(v);
    Owned<TComponent> copy(Read(Write(r.get())));
    Variant back = static_cast<TStreamRoot*>(copy.get())->GetValue();
    TVarType expected = VarType(v) == varSmallint ? varInteger : VarType(v);
    EXPECT_EQ(VarType(back), expected);
    EXPECT_TRUE(VarIsNull(v) ? VarIsNull(back) : back == v);
  }
  Owned<TStreamRoot> empty(New<TStreamRoot>(nullptr));
  EXPECT_EQ(Write(empty.get()).find("Value"), String::npos);
  empty->SetValue(VarArrayOf({Variant(Integer(1))}));
  EXPECT_THROW(Write(empty.get()), EWriteError);
  // A value type a variant cannot hold.
  std::string msg = ReadError(RootWith([](TWriter& w) {
    w.WriteStr("Value");
    w.WriteValue(TValueType::vaSet);
    w.WriteStr("");
  }));
  EXPECT_NE(msg.find("Invalid variant value vaSet"), std::string::npos) << msg;
}

namespace {
// Old streams carry properties this class no longer publishes.
class TLegacyPart : public TStreamPart {
  TL_CLASS(TLegacyPart, TStreamPart)
 public:
  using TStreamPart::TStreamPart;
  bool OldFlag = false;

 protected:
  void DefineProperties(TFiler& Filer) override {
    inherited::DefineProperties(Filer);
    Filer.DefineProperty("OldFlag", [this](TReader& r) { OldFlag = r.ReadBoolean(); }, nullptr, false);
    Filer.DefineProperty("Ignored", nullptr, nullptr, false);
  }
};

class TFailingPart : public TStreamPart {
  TL_CLASS(TFailingPart, TStreamPart)
 public:
  using TStreamPart::TStreamPart;

 protected:
  void Loaded() override {
    inherited::Loaded();
    throw EInvalidOperation("cannot finish loading");
  }
};
}  // namespace
TL_DEFINE_CLASS(TLegacyPart)
TL_DEFINE_CLASS(TFailingPart)

namespace {
String Binary(const String& text) {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  ObjectTextToBinary(text, *m);
  return Bytes(*m);
}
}  // namespace

TEST_F(ComponentStream, LegacyPropertiesAreReadOrSkippedThroughDefineProperties) {
  RegisterClass(TLegacyPart::StaticClass());
  Owned<TComponent> root(Read(Binary("object R: TStreamRoot\n"
                                     "  object L: TLegacyPart\n"
                                     "    OldFlag = True\n"
                                     "    Ignored = ('a' (1 2) [x] <item N = 1 end> {00})\n"
                                     "    Count = 3\n"
                                     "  end\n"
                                     "end")));
  auto* l = static_cast<TLegacyPart*>(root->FindComponent("L"));
  ASSERT_NE(l, nullptr);
  EXPECT_TRUE(l->OldFlag);
  EXPECT_EQ(l->GetCount(), 3);
  // Defined properties are written only when they say they have data.
  EXPECT_EQ(Write(l).find("OldFlag"), String::npos);
  UnRegisterClass(TLegacyPart::StaticClass());
}

TEST_F(ComponentStream, InheritedChildrenAreFoundNotCreated) {
  String bytes = Binary("object Main: TStreamRoot\n  inherited Kid: TStreamPart\n    Count = 9\n  end\nend");
  Owned<TStreamRoot> target(New<TStreamRoot>(nullptr));
  auto* kid = New<TStreamPart>(target.get());
  kid->SetName("Kid");
  Read(bytes, target.get());
  EXPECT_EQ(kid->GetCount(), 9);
  EXPECT_EQ(target->ComponentCount(), 1);
  EXPECT_EQ(kid->StateAtLoaded.size(), 2u);  // it was loaded with the rest

  std::string msg = ReadError(bytes);
  EXPECT_NE(msg.find("Ancestor for 'Kid' not found"), std::string::npos) << msg;
}

TEST_F(ComponentStream, ASecondRootUnderTheSameOwnerGetsAFreeName) {
  String bytes = Binary("object Main: TStreamRoot\n  object Kid: TStreamPart\n  end\nend");
  Owned<TComponent> owner(New<TComponent>(nullptr));
  auto* first = New<TStreamRoot>(owner.get());
  auto* second = New<TStreamRoot>(owner.get());
  auto* third = New<TStreamRoot>(owner.get());
  Read(bytes, first);
  Read(bytes, second);
  EXPECT_EQ(first->GetName(), "Main");
  EXPECT_EQ(second->GetName(), "Main_1");
  EXPECT_NE(second->FindComponent("Kid"), nullptr) << "only the root is renamed";
  // Reading into a root again keeps its name; the next free one is found past taken ones.
  const String bare = Binary("object Main: TStreamRoot\nend");
  Read(bare, first);
  Read(bare, second);
  EXPECT_EQ(first->GetName(), "Main");
  EXPECT_EQ(second->GetName(), "Main_1");
  Read(bytes, third);
  EXPECT_EQ(third->GetName(), "Main_2");
}

TEST_F(ComponentStream, ReferencesIntoAnotherRootAreWrittenWithItsName) {
  Owned<TStreamRoot> main(New<TStreamRoot>(nullptr)), other(New<TStreamRoot>(nullptr));
  main->SetName("Main");
  other->SetName("Other");
  auto* b = New<TStreamPart>(other.get());
  b->SetName("B");
  main->SetBuddy(b);
  String bytes = Write(main.get());
  EXPECT_NE(bytes.find(String("\x05" "Buddy\x07\x07" "Other.B", 15)), String::npos);
  EXPECT_NE(ReadError(bytes).find("Other.B not found"), std::string::npos);
  // A component without a name cannot be referred to: nothing is written.
  auto* anonymous = New<TStreamPart>(other.get());
  main->SetBuddy(anonymous);
  EXPECT_EQ(Write(main.get()).find("Buddy"), String::npos);
}

TEST_F(ComponentStream, AFailingLoadedStillLoadsTheRestAndFreesTheNewRoot) {
  RegisterClass(TFailingPart::StaticClass());
  const String bytes =
      Binary("object R: TStreamRoot\n  object F: TFailingPart\n  end\n  object P: TStreamPart\n  end\nend");
  try {
    Read(bytes);
    ADD_FAILURE() << "Loaded's error was lost";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "cannot finish loading");
  }
  Owned<TStreamRoot> target(New<TStreamRoot>(nullptr));
  EXPECT_THROW(Read(bytes, target.get()), EInvalidOperation);
  auto* p = static_cast<TStreamPart*>(target->FindComponent("P"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->StateAtLoaded.size(), 2u);
  EXPECT_FALSE(target->FindComponent("F")->InState(TComponentStateItem::csLoading));
  UnRegisterClass(TFailingPart::StaticClass());
}

TEST_F(ComponentStream, AnEnumOutsideItsRangeIsAWriteErrorNotACrash) {
  Owned<TStreamRoot> r(New<TStreamRoot>(nullptr));
  r->SetFruit(TFruit(9));
  EXPECT_THROW(Write(r.get()), ERangeError);
}
