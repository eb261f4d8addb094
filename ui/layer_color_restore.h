// The undo record of a layer colour set in the editor: undo puts the colour back that the
// layer had before, redo the one it was given.
#pragma once

#include "max.h"

#include "vorlith.h"

class LayerColorRestore : public RestoreObj {
public:
    LayerColorRestore(Vorlith* tex, int layer, const Color& before, const Color& after);

    void Restore(int isUndo) override;
    void Redo() override;
    MSTR Description() override;

private:
    void Put(const Color& c);

    Vorlith* tex;
    int layer;
    Color before;
    Color after;
};
