#pragma once

#include "tools/assetgen/Canvas.h"

namespace tools {

// The program's pictures, drawn from flat shapes in the house colours (dark
// red 142, 0, 0 and white) and a few stepped gradients, so that each fits a
// 256-colour palette.
class PictureArt {
 public:
  static constexpr Rgb kHouseRed{142, 0, 0};
  static constexpr Rgb kWhite{255, 255, 255};

  // About box picture, 140 x 153: a little house at sunset under the name.
  static Canvas MakeAboutPicture();
  // Splash picture, 320 x 240: the title over an evening street scene.
  static Canvas MakeSplashPicture();
  // Dialog icon: a white house on a red tile, drawn on a 32-unit grid at
  // `scale` pixels a unit (32 x 32 for the dialogs).
  static Canvas MakeIcon(int scale = 1);
};

}  // namespace tools
