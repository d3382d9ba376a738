# Texts, files, XML, protection and identifiers.
list(APPEND UNIT_SOURCES
    core/test_text.cpp core/test_files.cpp core/test_xml_reader.cpp core/test_xml_writer.cpp core/test_protect.cpp)
list(APPEND UNIT_SUITES ParseInt Strings Memory TextBuilder Utf8 Paths Files
    XmlReader XmlDecode XmlWriter Base64 Protect Uid)
