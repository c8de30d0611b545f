#!/usr/bin/env node
// Prints one table of an Access database as CSV, read with the independent mdb-reader library, in the
// conventions of `mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' -b hex FILE TABLE`:
//
//   header     column names joined by ',' (not quoted), then one line per row, each ended by '\n'
//   NULL       an empty field
//   text/memo  in double quotes, an inner double quote doubled; CR, LF and tab left as they are
//   boolean    1 or 0
//   integers   decimal (Byte, Integer, Long Integer)
//   Single     C's "%.8g";  Double  C's "%.16g" (exact decimal expansion, ties to even, as glibc)
//   Currency   decimal with four places ("3.5000");  Numeric  decimal with the column's scale
//   DateTime   in double quotes, "YYYY-MM-DD HH:MM:SS" rounded to the second
//   extended   (ACE 17's Date/Time Extended) in double quotes, "YYYY-MM-DD HH:MM:SS.fffffff", all
//              seven places (mdb-export has no such conventions: jettool prints it so)
//   binary/OLE in double quotes, upper-case hex of the bytes
//   GUID       in double quotes, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper case)
//   complex    (ACE attachment, multi-value, version history) empty: mdb-reader reads every such
//              column as attachments from the hidden table and fails on the others, and never
//              gives the stored value, the key into that table (compare_exports.py skips them)
//
// Where mdb-export is known to print a wrong value, this script prints the right one instead, so that
// it can serve as the reference there (tests/tools/compare_exports.py explains each case):
//   - an empty (not NULL) text, memo or binary value is printed as "" (mdb-export prints nothing,
//     the same as for NULL);
//   - dates before 1899-12-30 and after about year 4637 are printed as they are (mdb-export prints
//     "1900-01-00 00:00:00");
//   - a GUID is printed as its text (mdb-export -b hex prints the hex of the ASCII of that text).
// And where mdb-reader itself decodes wrongly, it is corrected here:
//   - a date before 1899-12-30 with a time of day: Access stores the day count as a negative whole
//     part and the time as a positive fraction (-1.25 is 1899-12-29 06:00); mdb-reader reads the
//     number as one linear value (giving 1899-12-28 18:00).
//
// Usage: node mdb_reader_export.mjs FILE TABLE
//        node mdb_reader_export.mjs --tables FILE          user tables, one a line
//        node mdb_reader_export.mjs --types FILE TABLE     JSON: [{name, type, scale?}, ...]
// Exit status 0 on success, 2 on bad usage, 1 when the file or table cannot be read.

import { readFileSync, realpathSync } from "node:fs";
import { fileURLToPath } from "node:url";
import MDBReader from "mdb-reader";

const DAYS_1899_12_30_TO_1970_01_01 = 25569;
const MS_PER_DAY = 86400000;

// ---- C printf "%.{P}g" on a double, exactly as glibc prints it -------------------------------------

// The exact value of a finite, non-zero |v| as digits * 10^-scale (digits a BigInt).
function exactDecimal(v) {
  const view = new DataView(new ArrayBuffer(8));
  view.setFloat64(0, Math.abs(v));
  const bits = view.getBigUint64(0);
  const biasedExponent = Number((bits >> 52n) & 0x7ffn);
  let mantissa = bits & ((1n << 52n) - 1n);
  let exponent;
  if (biasedExponent === 0) {
    exponent = -1074; // subnormal
  } else {
    mantissa |= 1n << 52n;
    exponent = biasedExponent - 1075;
  }
  if (exponent >= 0) return { digits: mantissa << BigInt(exponent), scale: 0 };
  // m * 2^-k = m * 5^k / 10^k
  return { digits: mantissa * 5n ** BigInt(-exponent), scale: -exponent };
}

export function formatG(v, precision) {
  if (Number.isNaN(v)) return "nan"; // glibc prints "-nan" for a NaN with the sign bit; rare enough
  const sign = v < 0 || Object.is(v, -0) ? "-" : "";
  if (!Number.isFinite(v)) return sign + "inf";
  if (v === 0) return sign + "0";

  const { digits, scale } = exactDecimal(v);
  let text = digits.toString();
  let leadExponent = text.length - 1 - scale; // decimal exponent of the leading digit
  let rounded;
  if (text.length > precision) {
    const drop = text.length - precision;
    const divisor = 10n ** BigInt(drop);
    let quotient = digits / divisor;
    const remainder = digits % divisor;
    const half = divisor / 2n;
    if (remainder > half || (remainder === half && (quotient & 1n) === 1n)) quotient += 1n;
    rounded = quotient.toString();
    if (rounded.length > precision) {
      // carried into a new digit (…999 -> 1000…)
      rounded = rounded.slice(0, precision);
      leadExponent += 1;
    }
  } else {
    rounded = text.padEnd(precision, "0");
  }

  const stripZeros = (s) => (s.includes(".") ? s.replace(/0+$/, "").replace(/\.$/, "") : s);
  if (leadExponent < -4 || leadExponent >= precision) {
    const mantissa = stripZeros(rounded[0] + "." + rounded.slice(1));
    const e = Math.abs(leadExponent).toString().padStart(2, "0");
    return `${sign}${mantissa}e${leadExponent < 0 ? "-" : "+"}${e}`;
  }
  let fixed;
  if (leadExponent >= 0) {
    fixed = rounded.slice(0, leadExponent + 1) + "." + rounded.slice(leadExponent + 1);
  } else {
    fixed = "0." + "0".repeat(-leadExponent - 1) + rounded;
  }
  return sign + stripZeros(fixed);
}

// ---- one value as mdb-export prints it ---------------------------------------------------------------

function quote(text) {
  return '"' + text.replaceAll('"', '""') + '"';
}

function pad2(n) {
  return String(n).padStart(2, "0");
}

// mdb-reader's Date for an Access date/time, back to the stored double's meaning.
function accessDateMs(date) {
  let ms = date.getTime();
  const days = ms / MS_PER_DAY + DAYS_1899_12_30_TO_1970_01_01;
  if (days < 0 && !Number.isInteger(days)) {
    // mdb-reader read d = whole + fraction linearly; Access means trunc(d) days plus |frac(d)| of a day.
    const corrected = 2 * Math.trunc(days) - days;
    ms = Math.round((corrected - DAYS_1899_12_30_TO_1970_01_01) * MS_PER_DAY);
  }
  return ms;
}

function formatDate(date) {
  const seconds = Math.round(accessDateMs(date) / 1000);
  const d = new Date(seconds * 1000);
  // strftime's %Y: the year without padding
  return (
    `${d.getUTCFullYear()}-${pad2(d.getUTCMonth() + 1)}-${pad2(d.getUTCDate())} ` +
    `${pad2(d.getUTCHours())}:${pad2(d.getUTCMinutes())}:${pad2(d.getUTCSeconds())}`
  );
}

// mdb-reader's text of an extended date, "YYYY.MM.DD HH:MM:SS.nnnnnnnnn", in the form above. The
// field stores 100-ns units, so the last two nanosecond digits are always zero.
function formatExtendedDate(text) {
  const match = /^(\d{4})\.(\d{2})\.(\d{2}) (\d{2}:\d{2}:\d{2})\.(\d{7})00$/.exec(text);
  if (!match) throw new Error(`unexpected extended date text ${text}`);
  return `${match[1]}-${match[2]}-${match[3]} ${match[4]}.${match[5]}`;
}

function formatValue(value, column) {
  if (value === null || value === undefined) return "";
  switch (column.type) {
    case "boolean":
      return value ? "1" : "0";
    case "byte":
    case "integer":
    case "long":
    case "bigint":
      return String(value);
    case "float":
      return formatG(value, 8);
    case "double":
      return formatG(value, 16);
    case "currency":
    case "numeric":
      return String(value);
    case "datetime":
      return quote(formatDate(value));
    case "datetimextended":
      return quote(formatExtendedDate(value));
    case "text":
    case "memo":
      return quote(value);
    case "binary":
    case "ole":
      return quote(Buffer.from(value).toString("hex").toUpperCase());
    case "repid":
      return quote("{" + String(value).toUpperCase() + "}");
    case "complex":
      return "";
    default:
      throw new Error(`column ${column.name}: type ${column.type} is not exported`);
  }
}

// ---- command line --------------------------------------------------------------------------------------

function usage() {
  process.stderr.write(
    "usage: mdb_reader_export.mjs FILE TABLE\n" +
      "       mdb_reader_export.mjs --tables FILE\n" +
      "       mdb_reader_export.mjs --types FILE TABLE\n",
  );
  process.exit(2);
}

function main(argv) {
  let mode = "export";
  if (argv[0] === "--tables" || argv[0] === "--types") mode = argv.shift().slice(2);
  if (argv.length !== (mode === "tables" ? 1 : 2)) usage();

  const reader = new MDBReader(readFileSync(argv[0]));
  if (mode === "tables") {
    for (const name of reader.getTableNames()) process.stdout.write(name + "\n");
    return;
  }
  const table = reader.getTable(argv[1]);
  const columns = table.getColumns();
  if (mode === "types") {
    const types = columns.map((c) => ({ name: c.name, type: c.type, ...(c.scale !== undefined && { scale: c.scale }) }));
    process.stdout.write(JSON.stringify(types) + "\n");
    return;
  }
  const lines = [columns.map((c) => c.name).join(",")];
  const readable = columns.filter((c) => c.type !== "complex").map((c) => c.name);
  for (const row of table.getData({ columns: readable })) {
    lines.push(columns.map((c) => formatValue(row[c.name], c)).join(","));
  }
  process.stdout.write(lines.join("\n") + "\n");
}

if (process.argv[1] && realpathSync(process.argv[1]) === realpathSync(fileURLToPath(import.meta.url))) {
  try {
    main(process.argv.slice(2));
  } catch (error) {
    process.stderr.write(`mdb_reader_export: ${error.message}\n`);
    process.exit(1);
  }
}
