#ifndef CONFIGRW_H
#define CONFIGRW_H

#include <list>
#include <string>
#include <utility>

#include "Config.h"
#include "Mutex.h"

// One settings file of the configuration directory, read whole at
// construction and written back only by Save.
class ConfigRW : public Config {
public:
    typedef std::list<std::string> value;
    typedef std::list<std::pair<std::string, value>> property;
    typedef std::list<std::pair<std::string, property>> group;
    typedef group::iterator group_iterator;
    typedef group::const_iterator const_group_iterator;
    typedef property::iterator property_iterator;
    typedef property::const_iterator const_property_iterator;
    typedef value::const_iterator const_value_iterator;

    // name is appended to the directory set with setPath.
    explicit ConfigRW(const std::string& name);
    virtual ~ConfigRW();
    ConfigRW(const ConfigRW&) = delete;
    ConfigRW& operator=(const ConfigRW&) = delete;

    static void setPath(const std::string& directory);
    static std::string getPath();

    int ReadIntEntry(const std::string& section, const std::string& key,
                     int default_value) const override;
    float ReadFloatEntry(const std::string& section, const std::string& key,
                         float default_value) const override;
    std::string ReadStringEntry(const std::string& section, const std::string& key,
                                const std::string& default_value) const override;
    bool ReadBoolEntry(const std::string& section, const std::string& key,
                       bool default_value) const override;
    bool WriteIntEntry(const std::string& section, const std::string& key,
                       int new_value) override;
    bool WriteFloatEntry(const std::string& section, const std::string& key,
                         float new_value) override;
    bool WriteStringEntry(const std::string& section, const std::string& key,
                          const std::string& new_value) override;
    bool WriteBoolEntry(const std::string& section, const std::string& key,
                        bool new_value) override;

    // An empty key removes the whole section.
    bool Remove(const std::string& section, const std::string& key);
    void Save() const;

    // Only taking the iterator is guarded; walking it is the caller's affair.
    group_iterator begin();
    group_iterator end();
    const_group_iterator begin() const;
    const_group_iterator end() const;

private:
    static std::string path;
    static Mutex path_mutex;

    std::string filename;
    group config;
    Mutex config_mutex;
};

#endif
