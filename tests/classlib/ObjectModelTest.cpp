#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/Classes.h"
#include "classlib/core/Lists.h"

#include <functional>
#include <string>
#include <vector>

// ---- Test classes ----

namespace {
std::vector<std::string> gLog;
}

TL_ENUM(TTestColour, tcRed, tcGreen, tcBlue);
using TTestColours = Set<TTestColour>;

class TLifeBase : public TObject {
  TL_CLASS(TLifeBase, TObject)
 public:
  void AfterConstruction() override {
    inherited::AfterConstruction();
    Kind = KindName();
  }
  void BeforeDestruction() override {
    gLog.push_back("base:" + KindName());
    inherited::BeforeDestruction();
  }
  virtual std::string KindName() const { return "base"; }
  std::string Kind;
};
TL_DEFINE_CLASS(TLifeBase)

class TLifeDerived : public TLifeBase {
  TL_CLASS(TLifeDerived, TLifeBase)
 public:
  explicit TLifeDerived(bool failLate = false) : FFailLate(failLate) {}
  void AfterConstruction() override {
    inherited::AfterConstruction();
    if (FFailLate) throw EInvalidOperation("late failure");
  }
  void BeforeDestruction() override {
    gLog.push_back("derived");
    inherited::BeforeDestruction();
  }
  std::string KindName() const override { return "derived"; }

 private:
  bool FFailLate;
};
TL_DEFINE_CLASS(TLifeDerived)

class TRecorder : public TComponent {
  TL_CLASS(TRecorder, TComponent)
 public:
  using TComponent::TComponent;
  void BeforeDestruction() override {
    gLog.push_back("free:" + GetName());
    inherited::BeforeDestruction();
  }
  TRecorder* Peer = nullptr;
  std::vector<std::string> Heard;
  bool PeerWasDestroying = false;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    Heard.push_back((Operation == TOperation::opInsert ? "+" : "-") + AComponent->GetName());
    if (Operation == TOperation::opRemove && AComponent == Peer) {
      PeerWasDestroying = AComponent->InState(TComponentStateItem::csDestroying);
      Peer = nullptr;
    }
  }
};
TL_DEFINE_CLASS(TRecorder)

class TAbstractPart : public TComponent {
  TL_CLASS(TAbstractPart, TComponent)
 public:
  using TComponent::TComponent;
  virtual int Size() const = 0;
};
TL_DEFINE_CLASS(TAbstractPart)

class TWidget : public TPersistent {
  TL_CLASS(TWidget, TPersistent)
 public:
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; }
  TTestColour GetColour() const { return FColour; }
  void SetColour(TTestColour v) { FColour = v; }
  TTestColours GetColours() const { return FColours; }
  void SetColours(TTestColours v) { FColours = v; }
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  Int64 GetTicks() { return ++FTicks; }  // not const, as some classes declare getters
  TNotifyEvent OnChange;

 private:
  // Private accessors stay reachable from the class description.
  Byte GetSmall() const { return FSmall; }
  void SetSmall(Byte v) { FSmall = v; }
  bool IsWidthStored() const { return FWidth != 99; }
  Integer FWidth = 0;
  Byte FSmall = 0;
  TTestColour FColour = TTestColour::tcRed;
  TTestColours FColours;
  String FCaption;
  Int64 FTicks = 0;
};
TL_DEFINE_CLASS(TWidget, [](auto& c) {
  c.Property("Width", &TWidget::GetWidth, &TWidget::SetWidth).Default(10).Stored(&TWidget::IsWidthStored);
  c.Property("Colour", &TWidget::GetColour, &TWidget::SetColour).Default(TTestColour::tcGreen);
  c.Property("Colours", &TWidget::GetColours, &TWidget::SetColours);
  c.Property("Caption", &TWidget::GetCaption, &TWidget::SetCaption);
  c.Property("Small", &TWidget::GetSmall, &TWidget::SetSmall);
  c.Event("OnChange", &TWidget::OnChange);
  c.Property("Ticks", &TWidget::GetTicks);
})

class TWideWidget : public TWidget {
  TL_CLASS(TWideWidget, TWidget)
 public:
  double GetRatio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }

 private:
  double FRatio = 0;
};
// Redeclares Width with another default and adds Ratio.
TL_DEFINE_CLASS(TWideWidget, [](auto& c) {
  c.Property("Ratio", &TWideWidget::GetRatio, &TWideWidget::SetRatio);
  c.Property("Width", &TWideWidget::GetWidth, &TWideWidget::SetWidth).Default(20);
})

// ---- Messages ----

constexpr UINT MSG_A = 0x400, MSG_B = 0x401, MSG_C = 0x402;

class TReceiver : public TObject {
  TL_CLASS(TReceiver, TObject)
 public:
  std::vector<std::string> Trail;
  void DefaultHandler(TMessage& m) override {
    Trail.push_back("default");
    m.Result = -1;
  }

 protected:
  void MsgA(TMessage& m) {
    Trail.push_back("base-A");
    m.Result = 1;
  }
  void MsgB(TMessage& m) {
    Trail.push_back("base-B");
    TL_INHERITED(m);
  }
};
TL_MESSAGES(TReceiver, TL_ON(MSG_A, MsgA), TL_ON(MSG_B, MsgB))
TL_DEFINE_CLASS(TReceiver)

class TMiddleReceiver : public TReceiver {
  TL_CLASS(TMiddleReceiver, TReceiver)
};
TL_DEFINE_CLASS(TMiddleReceiver)

class TLeafReceiver : public TMiddleReceiver {
  TL_CLASS(TLeafReceiver, TMiddleReceiver)
 protected:
  void LeafA(TMessage& m) {
    Trail.push_back("leaf-A");
    TL_INHERITED(m);
  }
  void LeafC(TMessage& m) {
    Trail.push_back("leaf-C");
    TL_INHERITED(m);
  }
};
TL_MESSAGES(TLeafReceiver, TL_ON(MSG_A, LeafA), TL_ON(MSG_C, LeafC))
TL_DEFINE_CLASS(TLeafReceiver)

// ---- Tests ----

TEST(ObjectLife, AfterConstructionReachesTheMostDerivedClass) {
  Owned<TLifeDerived> obj(New<TLifeDerived>());
  EXPECT_EQ(obj->Kind, "derived");
}

TEST(ObjectLife, BeforeDestructionRunsOverridesInDestructorOrderAlsoAfterAFailedConstruction) {
  gLog.clear();
  New<TLifeDerived>()->Free();
  EXPECT_EQ(gLog, (std::vector<std::string>{"derived", "base:derived"}));
  gLog.clear();
  EXPECT_THROW(New<TLifeDerived>(true), EInvalidOperation);  // freed, and the error goes on
  EXPECT_EQ(gLog, (std::vector<std::string>{"derived", "base:derived"}));
}

TEST(Components, OwnerFreesItsComponentsLastFirstAndSiblingsHear) {
  gLog.clear();
  TRecorder* owner = New<TRecorder>(nullptr);
  owner->SetName("Owner");
  auto* a = New<TRecorder>(owner);
  a->SetName("A");
  auto* b = New<TRecorder>(owner);
  b->SetName("B");
  auto* c = New<TRecorder>(owner);
  c->SetName("C");
  a->Peer = c;
  owner->Free();
  EXPECT_EQ(gLog, (std::vector<std::string>{"free:Owner", "free:C", "free:B", "free:A"}));
}

TEST(Components, SiblingReferenceIsClearedWhenThePeerIsFreed) {
  Owned<TRecorder> owner(New<TRecorder>(nullptr));
  auto* a = New<TRecorder>(owner.get());
  auto* b = New<TRecorder>(owner.get());
  b->SetName("B");
  a->Peer = b;
  // The owner tells its components about insertions too (B had no name yet).
  EXPECT_EQ(a->Heard, (std::vector<std::string>{"+", "+"}));
  b->Free();
  EXPECT_EQ(a->Peer, nullptr);
  EXPECT_EQ(owner->ComponentCount(), 1);
}

TEST(Components, FreeNotificationArrivesDuringDestructionAndBothWays) {
  gLog.clear();
  auto* watcher = New<TRecorder>(nullptr);
  auto* target = New<TRecorder>(nullptr);
  target->SetName("T");
  watcher->Peer = target;
  target->FreeNotification(watcher);
  target->Free();
  EXPECT_EQ(watcher->Peer, nullptr);
  EXPECT_TRUE(watcher->PeerWasDestroying);
  // The target's own override ran before the notification went out.
  EXPECT_EQ(gLog, (std::vector<std::string>{"free:T"}));
  watcher->Free();  // must not reach the freed target

  // A removed free notification is silent.
  watcher = New<TRecorder>(nullptr);
  target = New<TRecorder>(nullptr);
  target->SetName("T");
  target->FreeNotification(watcher);
  target->RemoveFreeNotification(watcher);
  target->Free();
  EXPECT_TRUE(watcher->Heard.empty());
  watcher->Free();
}

TEST(Components, NamesAreValidatedAndUniqueWithinTheOwner) {
  Owned<TRecorder> owner(New<TRecorder>(nullptr));
  auto* a = New<TRecorder>(owner.get());
  auto* b = New<TRecorder>(owner.get());
  a->SetName("Button1");
  EXPECT_THROW(b->SetName("BUTTON1"), EComponentError);
  EXPECT_THROW(b->SetName("1Button"), EComponentError);
  b->SetName("Button2");
  a->SetName("button1");  // a case change of its own name is no clash
  EXPECT_EQ(owner->FindComponent("BUTTON2"), b);
  // Moving into another owner validates against the new owner's names.
  Owned<TRecorder> other(New<TRecorder>(nullptr));
  auto* c = New<TRecorder>(other.get());
  c->SetName("Button2");
  EXPECT_THROW(owner->InsertComponent(c), EComponentError);
}

TEST(ClassRegistry, FindsRegisteredClassesAndCreatesThroughTheReference) {
  RegisterClass(TRecorder::StaticClass());
  EXPECT_EQ(GetClass("trecorder"), &TRecorder::StaticClass());
  EXPECT_THROW(FindClass("TWidget"), EClassNotFound);
  Owned<TRecorder> owner(New<TRecorder>(nullptr));
  TComponent* made = FindClass("TRecorder").Create(owner.get());
  EXPECT_EQ(&made->ClassType(), &TRecorder::StaticClass());
  EXPECT_THROW(TAbstractPart::StaticClass().Create(nullptr), EComponentError);
  UnRegisterClass(TRecorder::StaticClass());
  EXPECT_EQ(GetClass("TRecorder"), nullptr);
}

TEST(ClassRegistry, AnotherClassUnderARegisteredNameIsRefused) {
  static TClass impostor("TRecorder", &TComponent::StaticClass(), nullptr);
  RegisterClass(TRecorder::StaticClass());
  EXPECT_THROW(RegisterClass(impostor), EFilerError);
  UnRegisterClass(impostor);  // not the registered one: no effect
  UnRegisterClass(TRecorder::StaticClass());
}

TEST(Dispatch, RunsTheNearestHandlerThenInheritedThenDefault) {
  struct Row {
    bool Leaf;
    UINT Msg;
    std::vector<std::string> Trail;
    LRESULT Result;
  };
  // For B the leaf has no handler: the base one, which falls to the default. The last row:
  // a parent object ignores the child's map.
  for (const Row& r : {Row{true, MSG_A, {"leaf-A", "base-A"}, 1}, Row{true, MSG_B, {"base-B", "default"}, -1},
                       Row{true, MSG_C, {"leaf-C", "default"}, -1}, Row{true, 0x999, {"default"}, -1},
                       Row{false, MSG_C, {"default"}, -1}}) {
    Owned<TReceiver> receiver(r.Leaf ? New<TLeafReceiver>() : New<TReceiver>());
    TMessage m{r.Msg, 0, 0, 0};
    receiver->Dispatch(m);
    EXPECT_EQ(receiver->Trail, r.Trail) << r.Msg;
    EXPECT_EQ(m.Result, r.Result) << r.Msg;
  }
}

TEST(Enums, SetOperationsAndMasking) {
  using enum TTestColour;
  TTestColours rg{tcRed, tcGreen}, gb{tcGreen, tcBlue};
  EXPECT_EQ(rg + gb, (TTestColours{tcRed, tcGreen, tcBlue}));
  EXPECT_EQ(rg - gb, TTestColours{tcRed});
  EXPECT_EQ(TTestColours::FromInt(0xFF).ToInt(), 7u);
  TTestColours s;
  s.Include(tcBlue).Include(tcRed).Exclude(tcRed);
  EXPECT_EQ(s, TTestColours{tcBlue});
}

TEST(Properties, KindsAreInferredFromAccessors) {
  const TClass& c = TWidget::StaticClass();
  EXPECT_EQ(c.FindProperty("Colour")->Kind, TPropKind::Enum);
  EXPECT_EQ(c.FindProperty("Colours")->Kind, TPropKind::Set);
  const TPropInfo* small = c.FindProperty("Small");
  EXPECT_EQ(small->MaxValue, 255);

  Owned<TWidget> w(New<TWidget>());
  c.FindProperty("Colours")->SetOrd(w.get(), 0xFF);
  EXPECT_EQ(w->GetColours().ToInt(), 7u);
  c.FindProperty("Caption")->SetStr(w.get(), "Hi");
  EXPECT_EQ(w->GetCaption(), "Hi");
  w->SetWidth(99);
  EXPECT_FALSE(IsStoredProp(w.get(), "Width"));
  w->SetWidth(5);
  EXPECT_TRUE(IsStoredProp(w.get(), "width"));
}

TEST(Properties, RedeclaredPropertyKeepsItsPlaceWithTheNewDefault) {
  const auto& props = TWideWidget::StaticClass().Properties();
  std::vector<std::string> names;
  for (const TPropInfo* p : props) names.push_back(p->Name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Width", "Colour", "Colours", "Caption", "Small", "OnChange", "Ticks", "Ratio"}));
  EXPECT_EQ(props[0]->DefaultOrd, 20);
  EXPECT_FALSE(props[6]->Writable());
  Owned<TWideWidget> w(New<TWideWidget>());
  EXPECT_EQ(props[6]->GetOrd(w.get()), 1);
}

TEST(Properties, ACopiedDescriptionKeepsItsAccessorsAndAMissingSetterRaises) {
  const TPropInfo ticks = *TWideWidget::StaticClass().FindProperty("Ticks");
  const TPropInfo caption = *TWidget::StaticClass().FindProperty("Caption");
  Owned<TWideWidget> w(New<TWideWidget>());
  EXPECT_EQ(ticks.GetOrd(w.get()), 1);
  EXPECT_FALSE(bool(ticks.SetOrd));
  EXPECT_THROW(ticks.SetOrd(w.get(), 5), std::bad_function_call);
  EXPECT_EQ(ticks.GetOrd(w.get()), 2);  // the getter counts its calls; the set left it alone
  caption.SetStr(w.get(), "Copied");
  EXPECT_EQ(w->GetCaption(), "Copied");
  EXPECT_EQ(caption.GetStr(w.get()), "Copied");
}

TEST(Properties, EventsCompareByIdentityAndTravelErased) {
  Owned<TWidget> w(New<TWidget>());
  struct TListener : TObject {
    int Calls = 0;
    void Changed(TObject*) { ++Calls; }
  };
  TListener l1, l2;  // plain objects: no class description needed for listening
  w->OnChange = TNotifyEvent(&l1, &TListener::Changed);
  EXPECT_TRUE(w->OnChange == TNotifyEvent(&l1, &TListener::Changed));
  EXPECT_FALSE(w->OnChange == TNotifyEvent(&l2, &TListener::Changed));
  const TPropInfo* ev = TWidget::StaticClass().FindProperty("OnChange");
  TMethodRaw raw = ev->GetMethod(w.get());
  w->OnChange = nullptr;
  ev->SetMethod(w.get(), raw);
  w->OnChange(w.get());
  EXPECT_EQ(l1.Calls, 1);
}

TEST(Persistent, AssignWithoutSupportNamesBothClasses) {
  Owned<TWidget> w(New<TWidget>());
  Owned<TRecorder> r(New<TRecorder>(nullptr));
  EXPECT_EQ(MessageOf<EConvertError>([&] { w->Assign(r.get()); }), "Cannot assign a TRecorder to a TWidget");
  EXPECT_THROW(w->Assign(nullptr), EConvertError);
}
