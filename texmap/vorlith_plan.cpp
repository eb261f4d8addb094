// The texture's layer plan: built in Update from the tables, the sub-maps and the Output
// settings, so that the evaluations on the render threads only follow it (engine/layer_plan.h).
#include "vorlith.h"

namespace {

// Which mapList entries hold a sub-map, as the plan asks it.
class MapSlots {
public:
    explicit MapSlots(const Tab<Texmap*>& maps) : maps(maps) { }
    bool HasMap(int entry) const
    {
        return entry >= 0 && entry < maps.Count() && maps[entry] != NULL;
    }

private:
    const Tab<Texmap*>& maps;

    MapSlots& operator=(const MapSlots&);
};

} // namespace

void Vorlith::BuildPlan() { plan.Build(Tables(), output, MapSlots(mapList)); }
