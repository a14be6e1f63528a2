#include "scanners/sourcemanager/source_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace ostrel::virtualscanner {
namespace {

using namespace twain;

// Applications keep identities wherever they like; packed to 2 bytes, an Id may
// sit at an address that is not a multiple of 4.
class MisalignedIdentity {
 public:
  MisalignedIdentity() { std::memset(storage_, 0, sizeof storage_); }
  TW_IDENTITY* get() { return reinterpret_cast<TW_IDENTITY*>(storage_ + 2); }

 private:
  alignas(4) unsigned char storage_[sizeof(TW_IDENTITY) + 2];
};

TW_UINT16 conditionOf(SourceManager& manager, TW_IDENTITY* origin) {
  TW_STATUS status{};
  EXPECT_EQ(manager.entry(origin, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
  return status.ConditionCode;
}

TEST(SourceManager, SessionsFollowTheIdsOfMisalignedIdentities) {
  SourceManager manager(nullptr);
  MisalignedIdentity app;
  MisalignedIdentity source;
  ASSERT_EQ(reinterpret_cast<std::uintptr_t>(&app.get()->Id) % 4, 2u);

  // A source addressed before the manager is opened is out of sequence.
  EXPECT_EQ(manager.entry(app.get(), source.get(), DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr),
            TWRC_FAILURE);
  EXPECT_EQ(conditionOf(manager, app.get()), TWCC_SEQERROR);

  ASSERT_EQ(manager.entry(app.get(), nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_SUCCESS);
  const TW_UINT32 id = app.get()->Id;
  EXPECT_NE(id, 0u);
  EXPECT_EQ(manager.entry(app.get(), nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_FAILURE);
  EXPECT_EQ(conditionOf(manager, app.get()), TWCC_SEQERROR);

  source.get()->Id = 4242;  // never opened
  EXPECT_EQ(manager.entry(app.get(), source.get(), DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr),
            TWRC_FAILURE);
  EXPECT_EQ(conditionOf(manager, app.get()), TWCC_BADDEST);
  EXPECT_EQ(manager.entry(app.get(), nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, source.get()),
            TWRC_FAILURE);
  EXPECT_EQ(conditionOf(manager, app.get()), TWCC_NODS);

  EXPECT_EQ(manager.entry(app.get(), nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, nullptr), TWRC_SUCCESS);
  EXPECT_EQ(manager.entry(app.get(), nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, nullptr), TWRC_FAILURE);
}

}  // namespace
}  // namespace ostrel::virtualscanner
