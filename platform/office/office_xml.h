// What the workbook and the document share: XML parts of a package, their relationships
// and content types, and the texts that go into them.
#pragma once

#include <pugixml.hpp>

#include <string>
#include <vector>

#include "platform/office/office_errors.h"
#include "platform/office/zip_package.h"

namespace vk7::office {

inline const char* const kRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
inline const char* const kOfficeDocRelType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline const char* const kDocRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The message for a blank that could not be taken as a package: an old binary file, a
// package beyond the limits of parts or unpacked bytes (saying which), or no package.
std::string packageMessage(const std::filesystem::path& file, OfficeKind kind, const PackageError& error);

// Parses a part; a broken or missing one throws `broken`.
void parsePart(const ZipPackage& package, const std::string& name, pugi::xml_document& doc, const BlankError& broken);
// The part written back (UTF-8, with its declaration).
std::string serialize(const pugi::xml_document& doc);

// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
std::string relsPartOf(const std::string& part);
// The part a relationship of `part` points to ("worksheets/sheet1.xml" -> "xl/worksheets/sheet1.xml").
std::string resolveTarget(const std::string& part, const std::string& target);

struct Relationship {
    std::string id, type, target;  // target resolved to a part name
};
std::vector<Relationship> relationships(const ZipPackage& package, const std::string& part, const BlankError& broken);
// The target of the package's main document ("xl/workbook.xml", "word/document.xml").
std::string mainPart(const ZipPackage& package, const BlankError& broken);
// Adds a relationship from `part` and returns its new id.
std::string addRelationship(ZipPackage& package, const std::string& part, const std::string& type,
                            const std::string& relativeTarget);
// Removes the relationships of `part` whose type ends with `typeSuffix`.
void removeRelationships(ZipPackage& package, const std::string& part, const std::string& typeSuffix);

// Content types: an override for a part, a default for an extension.
void setOverride(ZipPackage& package, const std::string& part, const std::string& contentType);
void removeOverride(ZipPackage& package, const std::string& part);
void setDefault(ZipPackage& package, const std::string& extension, const std::string& contentType);

// A Windows-1251 text for an XML text node: UTF-8, control codes other than tab and line
// feed dropped (XML cannot hold them).
std::string xmlText(const std::string& cp1251);

// Inserts a child named `name` of `parent` where the schema's element order wants it:
// before the first existing child that comes later in `order`.
pugi::xml_node insertInOrder(pugi::xml_node parent, const char* name, const std::vector<std::string>& order);

}  // namespace vk7::office
