#include "engine/SiteAllocation.h"

#include <gtest/gtest.h>

#include "CationFixture.h"

namespace kalvoren {
namespace {

using test::formulaOf;

constexpr double kTol = 1e-12;

#define EXPECT_APFU(q, v) EXPECT_NEAR((q).value(), (v), kTol) << #q

TEST(AllocateSites, SiliconAboveTwoStaysWholeInT) {
    const SiteAllocation s = AllocateSites(formulaOf({.Si = 2.05, .Al = 0.1, .Fe3 = 0.05}));
    EXPECT_APFU(s.T_Si, 2.05);
    EXPECT_APFU(s.T_Al, 0.0);
    EXPECT_APFU(s.T_Fe3, 0.0);
    EXPECT_APFU(s.T_Total, 2.05);
    EXPECT_APFU(s.M1_Al, 0.1);
    EXPECT_APFU(s.M1_Fe3, 0.05);
}

TEST(AllocateSites, FerricIronFillsWhatAlLeavesOfT) {
    const SiteAllocation s = AllocateSites(formulaOf({.Si = 1.8, .Al = 0.15, .Fe3 = 0.1}));
    EXPECT_APFU(s.T_Al, 0.15);
    EXPECT_APFU(s.T_Fe3, 0.05);
    EXPECT_DOUBLE_EQ(s.T_Total.value(), 2.0);
    EXPECT_APFU(s.M1_Al, 0.0);
    EXPECT_APFU(s.M1_Fe3, 0.05);
}

TEST(AllocateSites, AluminiumSplitsBetweenTAndM1) {
    const SiteAllocation s = AllocateSites(formulaOf({.Si = 1.9, .Al = 0.3}));
    EXPECT_APFU(s.T_Al, 0.1);
    EXPECT_APFU(s.M1_Al, 0.2);
    EXPECT_DOUBLE_EQ(s.T_Total.value(), 2.0);
}

TEST(AllocateSites, TrivalentExcessLeavesNoRoomInM1) {
    // T is full after Al (1.5 + 0.5), so Fe3+ all goes to M1: M1_Al + M1_Fe3 = 1.1.
    const SiteAllocation s = AllocateSites(formulaOf(
        {.Si = 1.5, .Ti = 0.1, .Al = 1.0, .Fe3 = 0.6, .Fe2 = 0.2, .Mn = 0.05, .Mg = 0.8}));
    EXPECT_APFU(s.M1_Al, 0.5);
    EXPECT_APFU(s.M1_Fe3, 0.6);
    for (const Quantity q : {s.M1_Ti, s.M1_V, s.M1_Cr, s.M1_Zr, s.M1_Sc, s.M1_Zn, s.M1_Ni, s.M1_Co,
                             s.M1_Mg, s.M1_Fe2, s.M1_Mn})
        EXPECT_DOUBLE_EQ(q.value(), 0.0);
    EXPECT_APFU(s.M1_Total, 1.1);
    EXPECT_APFU(s.M2_Mg, 0.8);
    EXPECT_APFU(s.M2_Fe2, 0.2);
    EXPECT_APFU(s.M2_Mn, 0.05);
}

TEST(AllocateSites, M1FullAfterMagnesium) {
    const SiteAllocation s =
        AllocateSites(formulaOf({.Si = 1.5, .Al = 1.0, .Fe2 = 0.3, .Mn = 0.1, .Mg = 0.5}));
    EXPECT_APFU(s.M1_Mg, 0.5);
    EXPECT_DOUBLE_EQ(s.M1_Fe2.value(), 0.0);
    EXPECT_DOUBLE_EQ(s.M1_Mn.value(), 0.0);
    EXPECT_APFU(s.M1_Total, 1.0);
    EXPECT_APFU(s.M2_Fe2, 0.3);
    EXPECT_APFU(s.M2_Mn, 0.1);
    EXPECT_APFU(s.M2_Mg, 0.0);
}

TEST(AllocateSites, CapsFollowTheFillingOrder) {
    // V comes before Cr; what the cap leaves of V is placed nowhere.
    const SiteAllocation s = AllocateSites(formulaOf(
        {.Si = 2, .Ti = 0.8, .V = 0.5, .Cr = 0.1, .Fe2 = 0.1, .Ni = 0.02, .Mg = 1, .Ca = 0.7}));
    EXPECT_APFU(s.M1_Ti, 0.8);
    EXPECT_APFU(s.M1_V, 0.2);
    for (const Quantity q :
         {s.M1_Cr, s.M1_Zr, s.M1_Sc, s.M1_Zn, s.M1_Ni, s.M1_Co, s.M1_Mg, s.M1_Fe2, s.M1_Mn})
        EXPECT_DOUBLE_EQ(q.value(), 0.0);
    EXPECT_APFU(s.M1_Total, 1.0);
    EXPECT_APFU(s.M2_Mg, 1.0);
    EXPECT_APFU(s.M2_Fe2, 0.1);
}

TEST(AllocateSites, M2TakesTheLargeCationsWhole) {
    const SiteAllocation s = AllocateSites(formulaOf({.Si = 2,
                                                      .Fe2 = 0.3,
                                                      .Mn = 0.02,
                                                      .Mg = 0.9,
                                                      .Ca = 0.7,
                                                      .Na = 0.05,
                                                      .K = 0.01,
                                                      .Li = 0.02}));
    EXPECT_APFU(s.M1_Mg, 0.9);
    EXPECT_APFU(s.M1_Fe2, 0.1);
    EXPECT_APFU(s.M1_Mn, 0.0);
    EXPECT_APFU(s.M2_Fe2, 0.2);
    EXPECT_APFU(s.M2_Mn, 0.02);
    EXPECT_APFU(s.M2_Li, 0.02);
    EXPECT_APFU(s.M2_Ca, 0.7);
    EXPECT_APFU(s.M2_Na, 0.05);
    EXPECT_APFU(s.M2_K, 0.01);
    EXPECT_APFU(s.M2_Total, 0.2 + 0.02 + 0.02 + 0.7 + 0.05 + 0.01);
}

TEST(AllocateSites, NegativeAmountLowersTheRunningSum) {
    const SiteAllocation s = AllocateSites(formulaOf({.Si = 2, .Ti = -0.1, .Mg = 1.05}));
    EXPECT_APFU(s.M1_Ti, -0.1);
    EXPECT_APFU(s.M1_Mg, 1.05);
    EXPECT_APFU(s.M1_Total, 0.95);
}

TEST(AllocateSites, BlankCationsFillNoSite) {
    CationFormula f;
    for (Quantity& c : f.cations) c = Quantity::blank();
    const SiteAllocation s = AllocateSites(f);
    EXPECT_TRUE(s.T_Total.isBlank());
    // A blank amount is not room-filling: Ti must not take the whole of M1.
    EXPECT_TRUE(s.M1_Ti.isBlank());
    EXPECT_TRUE(s.M1_Mn.isBlank());
    EXPECT_TRUE(s.M1_Total.isBlank());
    EXPECT_TRUE(s.M2_Total.isBlank());
}

}  // namespace
}  // namespace kalvoren
