// The fruit of the sample fruit list as models made by code: per kind a whole
// fruit ("models/Fruit/<m>_single") and the two halves a cut leaves
// ("models/Fruit/<m>_<c>_piece_1" and "_piece_2", each a cut-open shell with
// its flesh face), with a skin and a flesh picture; and the two slice-streak
// quads ("models/fruit/slice_fx", "slice_fx_crit"). Written in lower case
// (models/fruit/...) like every generated asset; the file layer finds them
// by any case.
#pragma once

#include "tools/make_models/ModelSource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {
namespace ModelTool {

// A model radius of 52 units at scale 1 matches the catalogue's hit sphere
// (0.52 x the kind's scale, in hundredths).
constexpr float kFruitRadius = 52.0f;

struct FruitLook {
    const char* name;  // the kind's model name
    uint8_t skin[3];
    uint8_t flesh[3];  // the juice colour of the fruit list
    float stretch[3];  // the shape's radii over kFruitRadius
};

// The kinds of data/xml/fruitlist.xml.
const std::vector<FruitLook>& SampleFruitLooks();

struct FruitModelFiles {
    std::vector<ModelSource> models;  // names are bundle paths without extension
    struct Picture {
        std::string path;  // bundle path of the ".tex"
        RgbaPicture picture;
    };
    std::vector<Picture> pictures;
};

// Every fruit and streak model with its pictures.
FruitModelFiles MakeFruitModels();
// One kind's three models (whole, piece 1, piece 2) and two pictures.
void AddFruitModels(const FruitLook& look, FruitModelFiles& out);

}  // namespace ModelTool
}  // namespace Varnok
