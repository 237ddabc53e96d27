#ifndef CONFIG_H
#define CONFIG_H

#include <string>

// Typed lookups with caller defaults and in-memory changes of a sectioned
// settings store.
class Config {
public:
    virtual ~Config() {}

    virtual int ReadIntEntry(const std::string& section, const std::string& key,
                             int default_value) const = 0;
    virtual float ReadFloatEntry(const std::string& section, const std::string& key,
                                 float default_value) const = 0;
    virtual std::string ReadStringEntry(const std::string& section, const std::string& key,
                                        const std::string& default_value) const = 0;
    virtual bool ReadBoolEntry(const std::string& section, const std::string& key,
                               bool default_value) const = 0;
    virtual bool WriteIntEntry(const std::string& section, const std::string& key,
                               int new_value) = 0;
    virtual bool WriteFloatEntry(const std::string& section, const std::string& key,
                                 float new_value) = 0;
    virtual bool WriteStringEntry(const std::string& section, const std::string& key,
                                  const std::string& new_value) = 0;
    virtual bool WriteBoolEntry(const std::string& section, const std::string& key,
                                bool new_value) = 0;
};

#endif
