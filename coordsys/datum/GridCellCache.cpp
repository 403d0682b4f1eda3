#include "coordsys/datum/GridCellCache.h"

#include <cstring>

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"

void CS_emptyGridCell(CsGridFileCell* cell) {
    std::memset(cell, 0, sizeof *cell);
    cell->maxX = -1.0;
    cell->maxY = -1.0;
}

CSgridCellCache* CS_newCellCache(int maxCells) {
    if (maxCells < 2) {
        CS_failWith(kCsErrInternal, "CS_newCellCache");
        return nullptr;
    }
    auto* cache = CS_allocate<CSgridCellCache>();
    if (cache != nullptr) cache->maxCells = maxCells;
    return cache;
}

int CS_addCell(CSgridCellCache* cache, int kind, const CsGridFileCell* lon,
               const CsGridFileCell* lat) {
    if (kind < kCsCellNadcon || kind > kCsCellOther) {
        return CS_failWith(kCsErrInternal, "CSgridCellCache:2");
    }
    CsGridCell* cell;
    if (cache->count < cache->maxCells) {
        cell = CS_allocate<CsGridCell>();
        if (cell == nullptr) return -1;
        cell->next = cache->first;
        cache->first = cell;
        ++cache->count;
    } else {
        CsGridCell* before = nullptr;
        cell = cache->first;
        while (cell->next != nullptr) {
            before = cell;
            cell = cell->next;
        }
        if (before == nullptr) return CS_failWith(kCsErrInternal, "CSgridCellCache:1");
        before->next = nullptr;
        cell->next = cache->first;
        cache->first = cell;
    }
    cell->kind = kind;
    cell->minX = lon->minX;
    cell->minY = lon->minY;
    cell->maxX = lon->maxX;
    cell->maxY = lon->maxY;
    cell->cellWidth = lon->width;
    cell->cellHeight = lat->height;
    for (int i = 0; i < 4; ++i) {
        cell->coefficients[2 * i] = lon->coefficients[i];
        cell->coefficients[2 * i + 1] = lat->coefficients[i];
    }
    CS_strNCopy(cell->source, lon->source, sizeof cell->source);
    return 0;
}

int CS_cellShift(CSgridCellCache* cache, double out[2], const double in[2]) {
    CsGridCell* before = nullptr;
    for (CsGridCell* cell = cache->first; cell != nullptr; before = cell, cell = cell->next) {
        double x = in[0];
        bool wrapped = false;
        if (cell->kind == kCsCellNadcon || cell->kind == kCsCellHpgn) {
            if (x > 0.0) {
                x -= 360.0;
                wrapped = true;
            }
        } else if (cell->kind >= kCsCellNtv1 && cell->kind <= kCsCellOther) {
            x = -x;
        } else {
            return CS_failWith(kCsErrInternal, "CSgridCellCache:2");
        }
        const double y = in[1];
        if (!(cell->minX <= x && x < cell->maxX && cell->minY <= y && y < cell->maxY)) continue;

        const double fx = (x - cell->minX) / cell->cellWidth;
        const double fy = (y - cell->minY) / cell->cellHeight;
        const double* c = cell->coefficients;
        const double dLon = c[0] + c[2] * fx + c[4] * fy + c[6] * fx * fy;
        const double dLat = c[1] + c[3] * fx + c[5] * fy + c[7] * fx * fy;
        if (cell->kind <= kCsCellHpgn) {
            out[0] = x - dLon / 3600.0 + (wrapped ? 360.0 : 0.0);
        } else {
            out[0] = in[0] - dLon / 3600.0;
        }
        out[1] = y + dLat / 3600.0;
        if (before != nullptr) {
            before->next = cell->next;
            cell->next = cache->first;
            cache->first = cell;
        }
        return 0;
    }
    return 1;
}

void CS_clearCellCache(CSgridCellCache* cache) {
    if (cache == nullptr) return;
    while (CsGridCell* cell = cache->first) {
        cache->first = cell->next;
        CS_free(cell);
    }
    cache->count = 0;
}

void CS_freeCellCache(CSgridCellCache* cache) {
    CS_clearCellCache(cache);
    CS_free(cache);
}
