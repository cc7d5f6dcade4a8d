// The data-set lookup grid: columns made for field names or every field, their captions,
// widths and editors taken from the fields, the name search that ignores case, and the
// data set's records shown through a controller that neither follows nor adds records.
#include "tests/databinding/LookupGridTestSupport.h"
#include "widgets/databinding/cxLookupDBGrid.h"

#include <limits>

namespace {

using TFT = TFieldType;

class LookupDBGridTest : public LookupGridTest {
 protected:
  void SetUp() override {
    LookupGridTest::SetUp();
    ds = MakeTestDataSet(form, {{"ID", TFT::ftInteger}, {"Name", TFT::ftString, 20}, {"City", TFT::ftString, 20}});
    ds->AddRecord({Variant(Integer(1)), Variant(String("Ann")), Variant(String("Oslo"))});
    ds->AddRecord({Variant(Integer(2)), Variant(String("Bob")), Variant(String("Rome"))});
    ds->AddRecord({Variant(Integer(3)), Variant(String("Cy")), Variant(String("Bern"))});
    ds->Open();
    source = New<TDataSource>(form);
    source->SetDataSet(ds);
    grid = New<TcxLookupDBGrid>(form);
    grid->SetParent(form);
    grid->GetFont()->SetName(kTestFaceName);
    grid->GetFont()->SetHeight(-12);
    grid->SetBounds(10, 10, 200, 120);
    grid->SetDataSource(source);
  }
  TMemoryDataSet* ds = nullptr;
  TDataSource* source = nullptr;
  TcxLookupDBGrid* grid = nullptr;
};

TEST_F(LookupDBGridTest, ColumnsMadeForFieldNamesShowTheirFieldsRecords) {
  grid->CreateColumnsForFieldNames("Name; City");
  ASSERT_EQ(grid->GetColumns()->Count(), 2);
  EXPECT_EQ(grid->GetColumns()->GetItem(0)->GetFieldName(), "Name");
  EXPECT_EQ(grid->GetColumns()->GetItem(1)->GetFieldName(), "City");
  EXPECT_EQ(grid->GetColumns()->GetItem(1)->Field(), ds->FindField("City"));
  TcxDBDataController* c = grid->GetDataController();
  ASSERT_EQ(c->GetRecordCount(), 3);
  EXPECT_EQ(c->GetDisplayText(1, c->GetItemField(0)), "Bob");
  EXPECT_EQ(c->GetDisplayText(2, c->GetItemField(1)), "Bern");
  // Made again: the old columns go.
  grid->CreateColumnsForFieldNames("ID");
  ASSERT_EQ(grid->GetColumns()->Count(), 1);
  EXPECT_EQ(VarToStr(c->GetValue(2, c->GetItemField(0))), "3");
  grid->CreateColumnsForAllFields();
  ASSERT_EQ(grid->GetColumns()->Count(), 3);
  EXPECT_EQ(grid->GetColumns()->GetItem(2)->GetFieldName(), "City");
  // The list's controller neither follows the data set's position nor shows its inserts.
  EXPECT_FALSE(c->DataModeController()->SyncMode());
  EXPECT_FALSE(c->DataModeController()->SyncInsert());
}

TEST_F(LookupDBGridTest, CaptionAndWidthComeFromTheFieldOrFallBackToTheName) {
  grid->CreateColumnsForFieldNames("Name;Nowhere");
  TcxLookupDBGridColumn* name = grid->GetColumns()->GetItem(0);
  TcxLookupDBGridColumn* missing = grid->GetColumns()->GetItem(1);
  EXPECT_EQ(missing->GetCaption(), "Nowhere");
  EXPECT_EQ(missing->GetWidth(), 64);
  EXPECT_EQ(missing->Field(), nullptr);
  ds->FindField("Name")->SetDisplayLabel("Full name");
  EXPECT_EQ(name->GetCaption(), "Full name");
  TcxCanvas* canvas = grid->Painter()->Canvas();
  canvas->SetFont(grid->GetFont());
  const Integer zero = canvas->TextWidth("0");
  const Integer header =
      grid->GetLookAndFeelPainter()->HeaderWidth(*canvas, cxBordersAll, grid->GetFont(), "Full name");
  ds->FindField("Name")->SetDisplayWidth(10);
  ASSERT_GT(10 * zero + 4, header);
  EXPECT_EQ(name->GetWidth(), 10 * zero + 4);
  ds->FindField("Name")->SetDisplayWidth(1);
  EXPECT_EQ(name->GetWidth(), std::max(zero + 4, header));
  grid->GetOptions()->SetShowHeader(false);
  EXPECT_EQ(name->GetWidth(), std::max<Integer>(zero + 4, 20));
  // A display width beyond the integer range in pixels gives the widest column, not a
  // wrapped one that falls back to the minimum.
  ds->FindField("Name")->SetDisplayWidth(std::numeric_limits<Integer>::max() / 2);
  EXPECT_EQ(name->GetWidth(), std::numeric_limits<Integer>::max());
  Show();
  EXPECT_LE(grid->ViewInfo()->HeaderBounds.Right, grid->GetClientBounds().Right);
  ds->FindField("Name")->SetDisplayWidth(1);
  name->SetMinWidth(200);
  EXPECT_EQ(name->GetWidth(), 200);
  // An editor for the field's type.
  EXPECT_EQ(name->GetDefaultRepositoryItem(),
            cxGetEditDBRegisteredRepositoryItems()->GetItemByField(ds->FindField("Name")));
}

TEST_F(LookupDBGridTest, AColumnIsFoundByItsFieldNameInAnyCase) {
  grid->CreateColumnsForFieldNames("ID;Name");
  EXPECT_EQ(grid->GetColumns()->ColumnByFieldName("nAME"), grid->GetColumns()->GetItem(1));
  EXPECT_EQ(grid->GetColumns()->ColumnByFieldName("Names"), nullptr);
  // A column renamed reads the other field.
  grid->GetColumns()->GetItem(1)->SetFieldName("City");
  TcxDBDataController* c = grid->GetDataController();
  EXPECT_EQ(c->GetDisplayText(0, c->GetItemField(1)), "Oslo");
  EXPECT_EQ(grid->GetKeyFieldNames(), "");
  grid->SetKeyFieldNames("ID");
  EXPECT_EQ(c->KeyFieldNames(), "ID");
  EXPECT_EQ(grid->GetDataSource(), source);
}

TEST_F(LookupDBGridTest, EachRefreshHandsTheColumnsProvidersTheirFields) {
  grid->CreateColumnsForFieldNames("ID;Name");
  auto provider = [&](Integer i) {
    return dynamic_cast<TcxCustomDBEditDefaultValuesProvider*>(grid->GetColumns()->GetItem(i)->DefaultValuesProvider());
  };
  ASSERT_NE(provider(1), nullptr);
  grid->DataChanged();
  EXPECT_EQ(provider(0)->Field(), ds->FindField("ID"));
  EXPECT_EQ(provider(1)->Field(), ds->FindField("Name"));
  // Rebound to another field: the next refresh follows.
  grid->GetColumns()->GetItem(1)->SetFieldName("City");
  grid->DataChanged();
  EXPECT_EQ(provider(1)->Field(), ds->FindField("City"));
  // A field the provider answers from: the integer field's alignment is right.
  EXPECT_EQ(provider(0)->DefaultAlignment(), TAlignment::taRightJustify);
}

}  // namespace

namespace {
// The grid's vertical scrolling, run as its scroll bar runs it.
class TScrolledLookupDBGrid : public TcxLookupDBGrid {
  TL_CLASS(TScrolledLookupDBGrid, TcxLookupDBGrid)
 public:
  using TcxLookupDBGrid::TcxLookupDBGrid;
  // The position the scroll leaves.
  Integer ScrollBy(TScrollCode ACode, Integer APos = 0) {
    Scroll(TScrollBarKind::sbVertical, ACode, APos);
    return APos;
  }
};
TL_DEFINE_CLASS(TScrolledLookupDBGrid)
}  // namespace

// 60 records, a window of 10 of them, 4 rows in view: the bar spans the data set's records
// (60 - 1 + 4 - 1), its thumb is the record number - 1, and each scroll moves the data set.
TEST_F(LookupDBGridTest, InGridModeTheScrollBarAndScrollingFollowTheDataSetsRecordNumbers) {
  for (Integer i = 4; i <= 60; ++i) ds->AddRecord({Variant(i), Variant(String("N") + IntToStr(i)), Variant(String("C"))});
  auto* g = New<TScrolledLookupDBGrid>(form);
  g->SetParent(form);
  g->GetFont()->SetName(kTestFaceName);
  g->GetFont()->SetHeight(-12);
  g->SetBounds(10, 10, 200, 120);
  g->SetDataSource(source);
  g->CreateColumnsForFieldNames("Name");
  TcxDBDataController* c = g->GetDataController();
  c->DataModeController()->SetGridModeBufferCount(10);
  c->DataModeController()->SetGridMode(true);
  Show();
  ASSERT_TRUE(c->IsGridMode());
  ASSERT_EQ(g->ViewInfo()->VisibleRowCount(), 4);
  TcxControlScrollBar* bar = g->VScrollBar();
  EXPECT_TRUE(bar->GetVisible());
  EXPECT_EQ(bar->GetMin(), 0);
  EXPECT_EQ(bar->GetMax(), 62);
  EXPECT_EQ(bar->GetPageSize(), 4);
  EXPECT_EQ(bar->GetPosition(), 0);
  auto expectAt = [&](Integer ARecNo, Integer APos) {
    Pump();
    EXPECT_EQ(ds->RecNo(), ARecNo);
    EXPECT_EQ(APos, ARecNo - 1);
    EXPECT_EQ(bar->GetPosition(), ARecNo - 1);
  };
  // Line down runs the Down key, past the window's end too: the window slides, 10 rows.
  Integer pos = 0;
  for (int i = 0; i < 12; ++i) pos = g->ScrollBy(TScrollCode::scLineDown);
  expectAt(13, pos);
  EXPECT_EQ(c->GetRowCount(), 10);
  EXPECT_EQ(VarToStr(c->GetValue(c->GetFocusedRecordIndex(), c->GetItemField(0))), "N13");
  // Page down runs PgDn from the last row in view: a page less one row of overlap.
  expectAt(16, g->ScrollBy(TScrollCode::scPageDown));
  // The released thumb sets the record number; tracking it alone moves nothing.
  expectAt(31, g->ScrollBy(TScrollCode::scPosition, 30));
  expectAt(31, g->ScrollBy(TScrollCode::scTrack, 45));
  EXPECT_EQ(VarToStr(c->GetValue(c->GetFocusedRecordIndex(), c->GetItemField(0))), "N31");
  expectAt(28, g->ScrollBy(TScrollCode::scPageUp));
  expectAt(27, g->ScrollBy(TScrollCode::scLineUp));
  expectAt(60, g->ScrollBy(TScrollCode::scPosition, 59));
  expectAt(60, g->ScrollBy(TScrollCode::scLineDown));
  // Records and moves from elsewhere reach the bar.
  ds->Delete();
  Pump();
  EXPECT_EQ(bar->GetMax(), 61);
  EXPECT_EQ(bar->GetPosition(), 58);
  ds->SetRecNo(25);
  Pump();
  EXPECT_EQ(bar->GetPosition(), 24);
  ds->Close();
  Pump();
  EXPECT_FALSE(bar->GetVisible());
}
