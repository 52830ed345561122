#pragma once
// Whether an XML parser (expat) reads a text as one well-formed document.

#include <expat.h>

#include <string>

namespace talvir::testing {

inline bool WellFormedXml(const std::string& xml) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

}  // namespace talvir::testing
