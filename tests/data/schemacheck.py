#!/usr/bin/env python3
"""Checks a JSON document against the subset of JSON Schema that the project's
schemas use: type (one or a list), required, properties, additionalProperties: false,
items, enum, minimum, maximum, pattern and local $ref. Prints each fault; exit 1 on any.
usage: schemacheck.py SCHEMA DOCUMENT"""
import json
import re
import sys

TYPES = {
    "object": lambda v: isinstance(v, dict),
    "array": lambda v: isinstance(v, list),
    "string": lambda v: isinstance(v, str),
    "integer": lambda v: isinstance(v, int) and not isinstance(v, bool),
    "number": lambda v: isinstance(v, (int, float)) and not isinstance(v, bool),
    "null": lambda v: v is None,
    "boolean": lambda v: isinstance(v, bool),
}
KNOWN = {"$schema", "title", "$defs", "$ref", "type", "required", "properties", "additionalProperties",
         "items", "enum", "minimum", "maximum", "pattern"}


def check(root, schema, value, where, faults):
    unknown = set(schema) - KNOWN
    if unknown:
        raise SystemExit(f"schemacheck: keywords not handled: {sorted(unknown)}")
    if "$ref" in schema:
        node = root
        for part in schema["$ref"].lstrip("#/").split("/"):
            node = node[part]
        check(root, node, value, where, faults)
    if "type" in schema:
        types = schema["type"] if isinstance(schema["type"], list) else [schema["type"]]
        if not any(TYPES[t](value) for t in types):
            faults.append(f"{where}: {value!r} is not {types}")
            return
    if "enum" in schema and value not in schema["enum"]:
        faults.append(f"{where}: {value!r} not in {schema['enum']}")
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        if "minimum" in schema and value < schema["minimum"]:
            faults.append(f"{where}: {value} < {schema['minimum']}")
        if "maximum" in schema and value > schema["maximum"]:
            faults.append(f"{where}: {value} > {schema['maximum']}")
    if isinstance(value, str) and "pattern" in schema and not re.search(schema["pattern"], value):
        faults.append(f"{where}: {value!r} does not match {schema['pattern']}")
    if isinstance(value, dict):
        for key in schema.get("required", []):
            if key not in value:
                faults.append(f"{where}: no {key}")
        props = schema.get("properties", {})
        for key, v in value.items():
            if key in props:
                check(root, props[key], v, f"{where}.{key}", faults)
            elif schema.get("additionalProperties") is False:
                faults.append(f"{where}: unexpected {key}")
    if isinstance(value, list) and "items" in schema:
        for i, v in enumerate(value):
            check(root, schema["items"], v, f"{where}[{i}]", faults)


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    with open(sys.argv[2], encoding="utf-8") as f:
        document = json.load(f)
    faults = []
    check(schema, schema, document, "$", faults)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
