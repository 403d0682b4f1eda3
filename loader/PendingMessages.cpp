#include "loader/PendingMessages.h"

#include <map>

std::string LoadMessage(int id) {
    static const std::map<int, std::string> texts{
        {44063, "SymbolStyle"},  {44064, "TextStyle"},     {44065, "PolylineStyle"},
        {44066, "PolygonStyle"}, {44067, "OriginalKey"},   {44068, "Name"},
        {44069, "Layer"},        {44070, "FillColor"},     {44071, "FillStyle"},
        {44072, "EdgeColor"},    {44073, "EdgeStyle"},     {44074, "EdgeWidth"},
        {44075, "LineColor"},    {44076, "LineStyle"},     {44077, "LineWidth"},
        {44078, "PointColor"},   {44079, "SymbolName"},    {44080, "SymbolRotation"},
        {44081, "SymbolWidth"},  {44082, "SymbolHeight"},  {44085, "TextContent"},
        {44086, "TextColor"},    {44087, "TextHorzAlign"}, {44088, "TextVertAlign"},
        {44089, "TextRotation"}, {44090, "TextHeight"},    {50012, "INSERT INTO %s VALUES ("},
    };
    const auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}

void SetStatusArgs(const char*, const char*) {}
