// The layer clipboard: one layer copied out of any texture of the library (its values and
// copies of its map and mask, as the host copies sub-maps), pasted into any texture, in any open
// editor. It holds its own copies: edits of the texture it came from leave it as it was, and
// each paste takes new copies of them.
#pragma once

#include "max.h"

#include "vorlith_layer_values.h"

class LayerClipboard : public ReferenceMaker {
public:
    // The library's one clipboard.
    static LayerClipboard& The();

    bool Full() const { return full; }
    // Copies a layer in: entry layer of values, and copies of map and mask (null: none).
    void Take(const LayerValueTables& values, int layer, Texmap* map, Texmap* mask);
    // Empties it; its copies go when nothing else refers to them.
    void Clear();
    // The copied values: one entry, 0.
    const LayerValueTables& Values() const { return values; }
    // A new copy of the copied map (which 0) or mask (which 1), or null.
    Texmap* NewCopy(int which);

    int NumRefs() override { return 2; }
    RefTargetHandle GetReference(int i) override;

protected:
    void SetReference(int i, RefTargetHandle target) override;

public:
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle target, PartID&, RefMessage message,
                               BOOL) override;
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle target, PartID&,
                               RefMessage message) override;
#endif

private:
    LayerClipboard();

    LayerValueTables values;
    Texmap* maps[2];
    bool full;
};
