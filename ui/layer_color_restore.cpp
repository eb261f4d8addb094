// The undo record of a layer colour.
#include "layer_color_restore.h"

LayerColorRestore::LayerColorRestore(Vorlith* tex, int layer, const Color& before,
                                     const Color& after)
    : tex(tex), layer(layer), before(before), after(after)
{
}

void LayerColorRestore::Restore(int /*isUndo*/)
{
    Put(before);
}

void LayerColorRestore::Redo()
{
    Put(after);
}

MSTR LayerColorRestore::Description()
{
    return MSTR(_T("Layer colour"));
}

// Written only while the layer still has a colour: the stack may have shrunk since.
void LayerColorRestore::Put(const Color& c)
{
    if (layer < 0 || layer >= tex->colorList.Count())
        return;
    tex->colorList[layer] = c;
    tex->LayersEdited();
}
