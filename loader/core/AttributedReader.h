// The base of the readers whose objects carry attribute tables (MIF/MID,
// shapefile, DWG/DXF, plug-ins): their table set, and the /KEY, /NAME and
// /LINK templates that compose an object's key, name and link from literal
// texts and column values.
#pragma once

#include <memory>

#include "loader/core/AttributeTable.h"
#include "loader/core/ColKeyTemplate.h"
#include "loader/core/SourceReader.h"

class CAttributedReader : public CSourceReader {
public:
    CAttributedReader(CLoaderSettings* settings, Status* status);

    // The schemas of every table of the reader's set.
    Status GetTableSchemas(CTableSchemaList* schemas) override;

protected:
    // Parses the name, key and link templates of the settings and checks
    // them, in that order, against the table set; the first failure.
    Status ParseTemplates();
    // Sets the record's name, link and key from the templates for the object
    // of that key; the key falls back to the default when the template gives
    // none. Warns once per reader when a table has no row for an object.
    Status ComposeKeyNameLink(const char* defaultKey, CFeatureRecord* record);
    // With /TABLE, gives the record the object's rows of the tables to
    // export (and its style row with :STYLE). The first failure of a table
    // is returned; the other tables are still visited.
    Status ComposeAttributes(const char* key, CFeatureRecord* record);

    // Made by the derived reader; may stay null.
    std::unique_ptr<CTableSet> tables_;

private:
    Status ReadTemplateColumns(const char* key, CTemplateRows& rows);

    CColKeyTemplate nameTemplate_;
    CColKeyTemplate keyTemplate_;
    CColKeyTemplate linkTemplate_;
    bool tableWarningGiven_ = false;
};
