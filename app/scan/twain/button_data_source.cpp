#include "app/scan/twain/button_data_source.h"

#include "platform/activity_log.h"

namespace ostrel {

CBnDS::CBnDS(TwainManager& manager, const twain::TW_IDENTITY& identity, PageReceiver& target)
    : TwainDataSource(manager, identity), target_(target) {
  // The image becomes the receiver's page, which frees it.
  freeAfterTransfer_ = false;
}

void CBnDS::SetDuplex(bool duplex) {
  duplex_ = duplex;
  side_ = 0;
}

int CBnDS::OnNativeImage(twain::TW_HANDLE image) {
  std::string error;
  auto page = manager_.TakeNativeImage(image, &error);
  int result = 1;
  if (page) {
    result = target_.PageReceived(std::move(*page), side_);
  } else {
    Log("The scanner sent an image that is not a usable bitmap (" + error + "); it is left out.");
  }
  if (duplex_) side_ ^= 1;
  return result;
}

}  // namespace ostrel
