#include "app/delivery/pending_delivery.h"

#include "platform/activity_log.h"

namespace ostrel {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

void PendingDelivery::upload(const CButtonSetting& button, const std::string& path) {
  Log("Upload request not carried out (the cloud uploader is not built yet): " + quoted(path) +
      " for account " + quoted(button.account));
}

}  // namespace ostrel
