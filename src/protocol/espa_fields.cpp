#include "protocol/espa_fields.h"

#include "core/control_chars.h"

namespace espa {

std::string EncodeFields(const EspaFields& fields) {
    std::string data;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            data += RS;
        }
        data += fields[i].first;
        data += US;
        data += fields[i].second;
    }
    return data + ETX;
}

EspaFields DecodeFields(const std::string& data) {
    EspaFields fields;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find(RS, start);
        if (end == std::string::npos) {
            end = data.size();
        }
        const std::string field = data.substr(start, end - start);
        if (field.size() >= 2 && field[1] == US) {
            fields.emplace_back(field[0], field.substr(2));
        } else if (!field.empty()) {
            fields.emplace_back('?', field);
        }
        start = end + 1;
    }
    return fields;
}

std::string FrameBlock(char header, const EspaFields& fields) {
    std::string body;
    body += header;
    body += STX;
    body += EncodeFields(fields);
    char check = 0;
    for (char c : body) {
        check ^= c;
    }
    return SOH + body + check;
}

}  // namespace espa
