#pragma once
// Checks a JSON record against tests/outputs_json/record_schema.json, made
// from the interface samples: every field must be one the samples have, of
// their type, and the fields every sample has must be there. Lines with
// "hfdl" are HFDL records, the others VHF ACARS.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace talvir::testing {

using Json = nlohmann::json;

inline bool HasType(const Json& value, const std::string& type) {
  if (type == "object") return value.is_object();
  if (type == "array") return value.is_array();
  if (type == "string") return value.is_string();
  if (type == "boolean") return value.is_boolean();
  if (type == "integer") return value.is_number_integer();
  if (type == "number") return value.is_number();
  return false;
}

// "" when `value` fits `schema`; else where and why not.
inline std::string SchemaMismatch(const Json& schema, const Json& value, const std::string& path = "") {
  const Json types = schema.at("type").is_array() ? schema.at("type") : Json::array({schema.at("type")});
  bool typed = false;
  for (const Json& type : types) typed = typed || HasType(value, type.get<std::string>());
  if (!typed) return path + ": " + value.dump() + " is not " + types.dump();
  if (value.is_object() && schema.contains("properties")) {
    for (const auto& [name, field] : value.items()) {
      if (!schema["properties"].contains(name)) return path + "." + name + ": not a field of the samples";
      if (std::string why = SchemaMismatch(schema["properties"][name], field, path + "." + name); !why.empty()) {
        return why;
      }
    }
    for (const Json& name : schema.value("required", Json::array())) {
      if (!value.contains(name.get<std::string>())) return path + "." + name.get<std::string>() + ": missing";
    }
  }
  if (value.is_array() && schema.contains("items") && !schema["items"].empty()) {
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (std::string why = SchemaMismatch(schema["items"], value[i], path + "[" + std::to_string(i) + "]");
          !why.empty()) {
        return why;
      }
    }
  }
  return {};
}

inline const Json& RecordSchema() {
  static const Json schema = Json::parse(ReadFile(TALVIR_SOURCE_DIR "/tests/outputs_json/record_schema.json"));
  return schema;
}

inline std::string RecordMismatch(const Json& record) {
  return SchemaMismatch(RecordSchema().at(record.contains("hfdl") ? "hfdl" : "acars"), record);
}

// One record a line.
inline std::vector<Json> ParseLines(const std::string& text) {
  std::vector<Json> records;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    records.push_back(Json::parse(text.substr(start, end - start)));
  }
  EXPECT_EQ(start, text.size()) << "the last line has no line end";
  return records;
}

// talvir-cli's records of a recording, as a feeder names its station and
// frequency, each checked against the schema.
inline std::vector<Json> DecodeToJson(const std::filesystem::path& input, const std::string& channels) {
  TempDir dir;
  const ProgramRun run = RunProgram(dir.path(), TALVIR_CLI_PATH,
                                    "--input '" + input.string() + "' " + channels +
                                        " --output json:file:records.jsonl --station-id TEST-STATION --freq 8977");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<Json> records = ParseLines(ReadFile(dir.path() / "records.jsonl"));
  for (const Json& record : records) EXPECT_EQ(RecordMismatch(record), "") << record.dump();
  return records;
}

}  // namespace talvir::testing
