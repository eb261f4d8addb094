// The control ids of the layer rows, as dialog IDD_LAYERS has them.
#include "layer_rows.h"

const int kRowControlIds[ROW_CONTROL_KINDS][LAYER_ROWS] = {
    {1021, 1022, 1023, 1024, 1025, 1026}, // ROW_FRAME
    {1517, 1518, 1519, 1520, 1521, 1522}, // ROW_USED
    {1014, 1015, 1016, 1017, 1018, 1019}, // ROW_INDEX
    {1007, 1008, 1009, 1010, 1011, 1012}, // ROW_OPACITY_EDIT
    {1001, 1002, 1003, 1004, 1005, 1006}, // ROW_OPACITY_SPIN
    {1100, 1101, 1102, 1103, 1104, 1105}, // ROW_COLOR
    {1200, 1201, 1202, 1203, 1204, 1205}, // ROW_MODE
    {1550, 1552, 1554, 1556, 1558, 1560}, // ROW_MAP
    {1511, 1512, 1513, 1514, 1515, 1516}, // ROW_MAP_ENABLED
    {1551, 1553, 1555, 1557, 1559, 1561}, // ROW_MASK
    {1523, 1524, 1525, 1526, 1527, 1528}, // ROW_MASK_ENABLED
};

bool FindRowControl(int id, int& row, RowControl& kind)
{
    for (int k = 0; k < ROW_CONTROL_KINDS; ++k) {
        for (int r = 0; r < LAYER_ROWS; ++r) {
            if (kRowControlIds[k][r] == id) {
                row = r;
                kind = (RowControl)k;
                return true;
            }
        }
    }
    return false;
}
