// The register's tables with the town hall's settings that the documents
// print (names with Romanian letters) and the shipped templates written into
// the data folder.
#pragma once

#include "RegisterFixture.h"

#include "documents/TemplateStore.h"
#include "register/AdminSettings.h"

class DocumentTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        hestavo::AdminSettings s;
        s.primaria = QStringLiteral("ŞIRIA");
        s.judet = QStringLiteral("ARAD");
        s.intocmit = QStringLiteral("ŢARĂ ELENA MARIA");
        hestavo::StoreAdminSettings(s);
        settings = hestavo::LoadAdminSettings();
        MaterializeTemplates();
    }
    hestavo::AdminSettings settings;
};
