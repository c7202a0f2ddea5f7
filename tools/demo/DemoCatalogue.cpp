#include "tools/demo/DemoCatalogue.h"

namespace tools {

namespace {

// Function sorts.
constexpr int16_t kSeating = 1, kSurfaces = 2, kAppliances = 4, kElectronics = 8, kPlumbing = 16, kDecorative = 32,
                  kOtherFunction = 64, kLighting = 128;
// Room sorts.
constexpr int16_t kKitchen = 1, kBedroom = 2, kBathroom = 4, kFamily = 8, kOutside = 16, kDining = 32,
                  kOtherRoom = 64, kStudy = 128;
// Downtown boxes.
constexpr int16_t kDiningOut = 1, kShopping = 2, kOutdoor = 4, kStreet = 8, kOtherDowntown = 128;
// Subsort bits: the four named subsorts of a function sort, then "Other".
constexpr int16_t kFirst = 1, kSecond = 2, kThird = 4, kFourth = 8, kOtherSubsort = 16;

constexpr int16_t kSofaGroup = 4097;
constexpr int16_t kLeadSlot = -1;

}  // namespace

const std::vector<DemoFile>& DemoObjectFiles() {
  static const std::vector<DemoFile> files = {
      {"GameData/UserObjects/Comfy Armchair.iff", {{"Comfy Armchair", kFamily, kSeating, kSecond, 0}}},
      {"GameData/UserObjects/Sofas/BIG Sofa.IFF",
       {
           {"Big Sofa", kFamily, kSeating, kThird, 0, kSofaGroup, kLeadSlot},
           {"Big Sofa - Left End", kFamily, kSeating, kThird, 0, kSofaGroup, 0},
           {"Big Sofa - Middle", kFamily, kSeating, kThird, 0, kSofaGroup, 1},
           {"Big Sofa - Right End", kFamily, kSeating, kThird, 0, kSofaGroup, 2},
       }},
      {"GameData/UserObjects/Dining Room/Oak Dining Set.iff",
       {
           {"Oak Dining Table", kDining, kSurfaces, kSecond, kDiningOut},
           {"Oak Dining Chair", kDining, kSeating, kFirst, kDiningOut},
       }},
      {"GameData/UserObjects/Bedroom/Brass Bedroom.iff",
       {
           {"Brass Double Bed", kBedroom, kSeating, kFourth, 0},
           {"Mirrored Wardrobe", kBedroom, kOtherFunction, kFourth, 0},
           {"Brass Table Lamp", kBedroom, kLighting, kFirst, 0},
       }},
      {"GameData/UserObjects/Kitchen/Kitchen Basics.iff",
       {
           {"Tiled Kitchen Counter", kKitchen, kSurfaces, kFirst, 0},
           {"Six-Burner Stove", kKitchen, kAppliances, kFirst, 0},
           {"Retro Fridge", kKitchen, kAppliances, kSecond, kDiningOut},
           {"Chrome Toaster", kKitchen, kAppliances, kThird, kShopping},
           {"Front-Loading Washer", kOtherRoom, kAppliances, kFourth, 0},
           {"Bread Maker Deluxe", kKitchen, kAppliances, kOtherSubsort, 0},
       }},
      {"GameData/UserObjects/Bathroom/Bathroom Suite.iff",
       {
           {"Porcelain Toilet", kBathroom, kPlumbing, kFirst, 0},
           {"Clawfoot Bathtub", kBathroom, kPlumbing, kSecond, 0},
           {"Pedestal Sink", kBathroom, kPlumbing, kThird, 0},
           {"Cedar Hot Tub", kOutside, kPlumbing, kFourth, kOutdoor},
       }},
      {"GameData/UserObjects/Electronics/gadgets.iff",
       {
           {"Arcade Cabinet", kFamily, kElectronics, kFirst, kShopping | kStreet},
           {"Flat Screen TV", kFamily, kElectronics, kSecond, 0},
           {"Hi-Fi Stereo", kFamily, kElectronics, kThird, kOtherDowntown},
           {"Rotary Wall Phone", kKitchen, kElectronics, kFourth, 0},
           // Kitchen and Dining at once, and downtown bits 4, 5 and 8, which
           // no control names.
           {"Weather Radio", kKitchen | kDining, kElectronics, kOtherSubsort, 304},
       }},
      {"GameData/UserObjects/Decor/Art and Plants.iff",
       {
           {"Harbour at Dusk", kFamily, kDecorative, kFirst, 0},
           {"Marble Bust", kStudy, kDecorative, kSecond, 0},
           {"Persian Rug", kFamily, kDecorative, kThird, 0},
           {"Potted Fern", kFamily, kDecorative, kFourth, kOutdoor},
           {"Grandfather Clock", kFamily, kDecorative, kOtherSubsort, 0},
       }},
      {"GameData/UserObjects/Hobbies/Hobby Corner.iff",
       {
           {"Pool Table", kFamily, kOtherFunction, kFirst, kStreet},
           {"Chemistry Set", kStudy, kOtherFunction, kSecond, 0},
           {"Artist's Easel", kStudy, kOtherFunction, kThird, 0},
           {"Brass Telescope", kOutside, kOtherFunction, kOtherSubsort, kOutdoor},
       }},
      {"GameData/UserObjects/Lighting/Lamps/Lamp Collection.iff",
       {
           {"Arc Floor Lamp", kFamily, kLighting, kSecond, 0},
           {"Wall Sconce", kBathroom, kLighting, kThird, 0},
           {"Crystal Chandelier", kDining, kLighting, kFourth, kDiningOut},
           {"Lava Lamp", kBedroom, kLighting, kOtherSubsort, 0},
       }},
      {"GameData/UserObjects/Study/Rolltop Desk.iff",
       {
           {"Rolltop Desk", kStudy, kSurfaces, kFourth, 0},
           {"Pine End Table", kFamily, kSurfaces, kThird, 0},
       }},
      {"GameData/UserObjects/Oddities.iff",
       {
           // Two function sort bits at once: the list shows "None".
           {"Mystery Combo Unit", kFamily, kSeating | kSurfaces, kFirst, 0},
           // No room or function sort: not in the buy catalogue.
           {"Unsorted Test Crate", 0, 0, kThird, 0},
           // An older, shorter record, upgraded when it is saved.
           {"Antique Writing Desk", kStudy, kSurfaces, kFourth, 0, 0, 0, 136, 200},
       }},
      {"GameData/UserObjects/Locked/Read-Only Lamp.iff", {{"Read-Only Lamp", kFamily, kLighting, kFirst, 0}}, true},
      {"Downloads/Garden Swing Seat.iff", {{"Garden Swing Seat", kOutside, kSeating, kOtherSubsort, kOutdoor}}},
      {"Downloads/Creator Packs/Picnic/Folding Picnic Table.IFF",
       {
           {"Folding Picnic Table", kOutside, kSurfaces, kOtherSubsort, kOutdoor | kDiningOut},
           {"Garden Fountain", kOutside, kPlumbing, kOtherSubsort, kOutdoor | kOtherDowntown},
       }},
  };
  return files;
}

const std::vector<DemoArchive>& DemoArchives() {
  static const std::vector<DemoArchive> archives = {
      {"GameData/UserObjects/Packs/Garden Pack.far",
       {
           {"Garden Gnome.iff", {{"Garden Gnome", kOutside, kDecorative, kSecond, kOutdoor}}},
           {"Fountains/Bird Bath.iff", {{"Bird Bath", kOutside, kPlumbing, kOtherSubsort, kOutdoor}}},
       }},
  };
  return archives;
}

}  // namespace tools
