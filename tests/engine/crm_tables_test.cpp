#include "engine/crm_tables.h"

#include <gtest/gtest.h>

namespace engine_test {
namespace {

class CrmTablesTest : public ::testing::Test {
  protected:
    void SetUp() override { engine::FillCrmTableList(list); }
    bool isCrm(std::u16string_view name) const { return engine::IsCrmTable(list, name); }

    engine::CrmTableList list;
};

TEST_F(CrmTablesTest, HoldsTheSeventyTwoNamesInOrder) {
    ASSERT_EQ(list.size(), 72u);
    EXPECT_EQ(list.front(), u"CRM_Adressbuch_Privat");
    EXPECT_EQ(list[42], u"CRM_QuorlKriterien");
    EXPECT_EQ(list[56], u"Formular_Auftragsbestätigung");
    EXPECT_EQ(list.back(), u"FormularEinstellungenArtikel");
    engine::FillCrmTableList(list);  // filling again replaces rather than appends
    EXPECT_EQ(list.size(), 72u);
}

TEST_F(CrmTablesTest, IgnoresLetterCaseUmlautsIncluded) {
    EXPECT_TRUE(isCrm(u"CRM_Termin"));
    EXPECT_TRUE(isCrm(u"crm_termin"));
    EXPECT_TRUE(isCrm(u"CRM_TERMIN"));
    EXPECT_TRUE(isCrm(u"formular_auftragsbestätigung"));
    EXPECT_TRUE(isCrm(u"FORMULAR_AUFTRAGSBESTÄTIGUNG"));
    EXPECT_TRUE(isCrm(u"adressenstamm"));
}

TEST_F(CrmTablesTest, ComparesWholeNamesOnly) {
    EXPECT_FALSE(isCrm(u"CRM_Termin "));
    EXPECT_FALSE(isCrm(u" CRM_Termin"));
    EXPECT_FALSE(isCrm(u"CRM_TerminX"));
    EXPECT_FALSE(isCrm(u"CRM_Termi"));
    EXPECT_FALSE(isCrm(u"Formular_Auftragsbestaetigung"));
    EXPECT_FALSE(isCrm(u""));
    EXPECT_TRUE(isCrm(u"Mitarbeiter"));
    EXPECT_TRUE(isCrm(u"Mitarbeiter1"));
    for (char16_t digit : std::u16string_view(u"023456789")) {
        EXPECT_FALSE(isCrm(std::u16string(u"Mitarbeiter") + digit));
    }
}

TEST(CrmTables, EmptyListHoldsNoTable) {
    EXPECT_FALSE(engine::IsCrmTable({}, u"CRM_Termin"));
}

}  // namespace
}  // namespace engine_test
