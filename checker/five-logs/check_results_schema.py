"""results.json of the five-log contest against its documented schema, and
the schema against documents it must refuse, so that it cannot pass
everything."""
import copy
import json
import sys

import jsonschema


def main(schema_path, results_path):
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    with open(results_path, encoding="utf-8") as f:
        results = json.load(f)
    validator = jsonschema.Draft7Validator(schema)
    validator.check_schema(schema)
    errors = [f"{list(e.path)}: {e.message}" for e in validator.iter_errors(results)]
    if errors:
        sys.exit("results.json breaks its schema:\n" + "\n".join(errors))

    checked = next(i for i, log in enumerate(results["logs"]) if log["check"])
    refused = next(i for i, log in enumerate(results["logs"]) if not log["check"])

    def spoiled(change):
        document = copy.deepcopy(results)
        change(document)
        return document

    must_fail = {
        "another version": spoiled(lambda d: d.update(version=2)),
        "a QSO line without its status": spoiled(lambda d: d["logs"][checked]["check"]["qsos"][0].pop("status")),
        "an unknown status": spoiled(
            lambda d: d["logs"][checked]["check"]["qsos"][0].update(status="MAYBE")),
        "a checked log without its check": spoiled(lambda d: d["logs"][checked].update(check=None)),
        "a file not checked without its reason": spoiled(
            lambda d: d["logs"][refused].update(file_status_reason=None)),
        "a minute not as YYYY-MM-DD HH:MM": spoiled(lambda d: d["contest"].update(start="2025-12-20T20:00")),
    }
    passed = [name for name, document in must_fail.items() if validator.is_valid(document)]
    if passed:
        sys.exit("the schema takes " + ", ".join(passed))
    print(f"results.json follows its schema; the schema refuses {len(must_fail)} spoiled documents")


if __name__ == "__main__":
    main(*sys.argv[1:])
