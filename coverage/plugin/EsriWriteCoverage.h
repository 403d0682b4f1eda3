// One new coverage built in memory through the coverage file library and
// saved into a workspace: arcs of at most 500 vertices, label points, tics,
// texts and the bounds of everything stored.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "coverage/lib/Tamrec.h"
#include "coverage/plugin/EsriEntity.h"
#include "foreign/Foreign.h"

class CWriteCoverage final : public CEsriVertexSink {
public:
    CWriteCoverage(const char* workspace, const char* cover);
    ~CWriteCoverage() override;
    CWriteCoverage(const CWriteCoverage&) = delete;
    CWriteCoverage& operator=(const CWriteCoverage&) = delete;

    // Whether the coverage may be written; an existing coverage of that name
    // is then replaced by Save.
    TFgnBool CheckTarget();

    // Ends the open arc and opens a new one; a closed arc is a ring that ends
    // on its first vertex.
    TFgnFmtErr StartArc(const char* key, TFgnBool closed);
    // A 501st vertex continues a new arc of the same key from the last one.
    TFgnFmtErr AddVertex(double x, double y) override;
    TFgnFmtErr EndArc();
    TFgnFmtErr DropArc();
    TFgnFmtErr AddLabel(const char* key, double x, double y);
    TFgnFmtErr AddTic(double x, double y);
    TFgnFmtErr AddText(const char* text, double x1, double y1, double x2, double y2, double height);
    // The foreign table's columns and rows into the AAT / PAT, rows joined to
    // the arcs / labels of the same key; once only, and no arc / label after.
    TFgnFmtErr WriteArcTable(CFgnTbl* table);
    TFgnFmtErr WriteLabelTable(CFgnTbl* table);
    // Writes the coverage and frees the record: the builder is spent.
    TFgnFmtErr Save();

    // The record being built; null once saved.
    const tamrec_cover* Cover() const { return cover_; }

private:
    struct CaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Columns = std::map<std::string, std::int32_t, CaseLess>;
    using Keys = std::multimap<std::string, std::int32_t, CaseLess>;

    TFgnFmtErr StartPiece(const std::string& key);
    TFgnFmtErr Append(double x, double y);
    void Grow(double x, double y);
    TFgnFmtErr WriteTable(CFgnTbl* table, bool arcs);

    bool arcOpen_ = false;
    std::string arcKey_;
    bool closeArc_ = false;
    std::int32_t vertexCount_ = 0;
    std::int32_t arcCount_ = 0;
    std::int32_t labelCount_ = 0;
    tamrec_cover* cover_ = nullptr;
    bool replace_ = false;
    std::string coverName_;
    Columns patColumns_, aatColumns_;
    Keys labelKeys_, arcKeys_;
    bool aatWritten_ = false;
    bool patWritten_ = false;
    std::string workspace_;
    // The first vertex of the ring being filled, kept across its pieces.
    double ringX_ = 0, ringY_ = 0;
    std::int32_t ringVertices_ = 0;
};

// Null when the coverage can be written (`valid` 1); else a message the
// caller frees with delete[] (`valid` 0).
char* CheckCoverageWritePath(const char* workspace, const char* cover, TFgnBool replace,
                             TFgnBool& valid);
