#ifndef MORVIK_OUTPUT_H
#define MORVIK_OUTPUT_H

#include <string>
#include <utility>
#include <vector>

// How morvik writes values: numbers, one-line texts, aligned tables, and the
// JSON and CSV exports. Texts are Latin-1 bytes; the terminal output passes
// them as they are, the exports convert them to UTF-8.

// The shortest decimal that reads back as the same float (or double), so a
// stored 87.65 shows as 87.65 and not 87.650002.
std::string Number(double value, bool single = true);

// A text on one line: backslash and control characters written as C escapes
// ("\n", "\t", "\x1b").
std::string OneLine(const std::string& text);

// Rows of words written as columns padded to the widest word of each, two
// blanks apart; the last column is not padded.
std::string AlignedTable(const std::vector<std::vector<std::string>>& rows);

// Every byte a Latin-1 character: bytes from 0x80 become two UTF-8 bytes.
std::string Latin1ToUtf8(const std::string& text);

// One JSON document, written as it is built: objects and arrays nest, the
// writer puts the commas, indentation and escapes. Texts are Latin-1 and
// come out as UTF-8.
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the current object.
    JsonWriter& Key(const std::string& name);
    void String(const std::string& latin1);
    // Not-a-number and infinities, which JSON cannot hold, are written as null.
    void Number(double value, bool single = true);
    void Integer(long value);
    void Bool(bool value);
    // The document, ending in a newline.
    std::string Text() const { return text + "\n"; }

private:
    void Value();
    void Close(char bracket);

    std::string text;
    std::vector<bool> empty;  // per open object or array: nothing in it yet
    bool keyed = false;
};

// A JSON string literal of a Latin-1 text, quotes included.
std::string JsonString(const std::string& latin1);

// A field of a CSV record: a text, or a number the export wrote itself.
struct CsvField {
    CsvField(std::string latin1) : text(std::move(latin1)) {}
    CsvField(const char* latin1) : text(latin1) {}
    static CsvField Number(std::string written)
    {
        CsvField field(std::move(written));
        field.number = true;
        return field;
    }

    std::string text;
    bool number = false;
};

// One CSV record (RFC 4180): a field holding a comma, a double quote, a
// carriage return or a line feed is quoted, its quotes doubled; the record
// ends in CR LF. Texts come out as UTF-8. A spreadsheet would run a text
// beginning with '=', '+', '-', '@', a tab or a carriage return as a formula,
// so such a text gets a leading apostrophe; numbers are left as numbers.
std::string CsvRecord(const std::vector<CsvField>& fields);

#endif
