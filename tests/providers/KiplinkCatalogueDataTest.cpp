// The sample static data in the catalogue layout, signed by the build and
// read through the library's shipped-data path: categories, a bundle of one
// item and a bundle drawn from a category by weight, display prices and
// SKUs, currencies and cloud-object definitions of that layout.
#include "kiplink/Public/IBank.h"
#include "kiplink/Public/ICloud.h"
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/CloudObjectSync.h"
#include "kiplink/Source/StoreProviderImpl.h"
#include "tests/providers/OnlineFixture.h"

#include <cstdlib>
#include <set>
#include <string>

namespace OnlineTest {
namespace {

using Kiplink::RefPtr;

class CatalogueDataTest : public OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        // Above the bundle's view: its index names the catalogue-layout files.
        m_catalogue = Varnok::FileSystemRegistry::Get().Add(
            std::make_unique<Varnok::DirectoryFileSystem>(VARNOK_CATALOGUE_STATIC_DIR, true),
            Varnok::FileSystemKey("ServiceManagerOffline"), 30);
    }
    void TearDown() override {
        OnlineFixture::TearDown();
        Varnok::FileSystemRegistry::Get().Remove(m_catalogue);
    }

    Varnok::FileSystem* m_catalogue = nullptr;
};

TEST_F(CatalogueDataTest, BundlesPricesAndCurrenciesComeFromTheCatalogueLayout) {
    MakeRoot();
    auto store = RefPtr<Kiplink::IStoreProvider>::Adopt(m_root->GetStoreProvider());
    ASSERT_TRUE(PumpUntil([&] { return bool(RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("mystery_blades"))); }));

    auto blades = RefPtr<Kiplink::StoreCategory>::Adopt(store->GetCategory("blades"));
    ASSERT_TRUE(blades);
    EXPECT_EQ(blades->GetItemCount(), 3u);

    auto starter = RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("starter_pack"));
    ASSERT_TRUE(starter->IsBundle());
    auto fire = RefPtr<Kiplink::IStoreItem>::Adopt(starter->GetBundledItem());
    ASSERT_TRUE(fire);
    EXPECT_STREQ(fire->GetReferenceId(), "blade_fire");
    EXPECT_EQ(starter->GetPaymentMethods(), Kiplink::kPaymentBoth);
    EXPECT_EQ(starter->GetCost("coins"), 200);

    // The category bundle draws by weight: the paw blade (weight 0) never.
    auto mystery = RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("mystery_blades"));
    EXPECT_EQ(mystery->GetBundleCount(), 2);
    std::srand(11);
    std::set<std::string> drawn;
    for (int i = 0; i < 200; ++i) {
        auto item = RefPtr<Kiplink::IStoreItem>::Adopt(mystery->GetBundledItem());
        ASSERT_TRUE(item);
        drawn.insert(item->GetReferenceId());
    }
    EXPECT_EQ(drawn, (std::set<std::string>{"blade_fire", "blade_guitar"}));

    char price[16];
    ASSERT_TRUE(mystery->GetDisplayCost("appstore", nullptr, price, sizeof price));
    EXPECT_STREQ(price, "$0.05");
    EXPECT_STREQ(mystery->GetProductSku("appstore"), "com.varnok.vellmarch.mysteryblades");

    auto banks = RefPtr<Kiplink::IBankProvider>::Adopt(m_root->GetBankProvider());
    auto coins = RefPtr<Kiplink::ICurrency>::Adopt(banks->GetCurrencyById("coins"));
    ASSERT_TRUE(coins);
    EXPECT_TRUE(coins->IsEarnable());
    EXPECT_EQ(coins->GetInitialGiftAmount(), 100);
    EXPECT_STREQ(coins->GetDescription(), "Earned by slicing, spent in the shop");
}

}  // namespace
}  // namespace OnlineTest
