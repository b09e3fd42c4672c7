// What every shipped template must carry for the commands that fill it: the
// placeholders of the RTF documents, and the markers, data rows and
// positioned cells of the workbooks. One row per template.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// "[NumeA1]..[NumeA4]" style ranges written out.
inline QStringList numbered(const QString& pattern, int from, int to)
{
    QStringList out;
    for (int k = from; k <= to; ++k)
        out << pattern.arg(k);
    return out;
}

struct RtfCase {
    QString resource;
    QStringList tags;     // spelled as the template writes them
    bool marker = false;  // the body ends at the line "terminoiu"
};

inline QStringList decisionCommon()
{
    return {"[JUDET]", "[Judet]", "[TIPLOCGEN]", "[locgen]", "[Loc]", "[NR]", "[DATA]", "[dlui]", "[Nume]",
            "[PRIMAR]", "[Domiciliu]", "[CNP]", "[SECRETAR]"};
}

inline QStringList formMembers(int children)
{
    QStringList t = {"[NUMEB]", "[PRENUMEB]", "[CNPB]", "[VenitB]", "[NUMEP]", "[PrenumeP]", "[CNPP]", "[VenitP]"};
    t << numbered("[NumeA%1]", 1, 4) << numbered("[PrenumeA%1]", 1, 4) << numbered("[CNPA%1]", 1, 4)
      << numbered("[VenitA%1]", 1, 4) << numbered("[NumeC%1]", 1, children)
      << numbered("[PrenumeC%1]", 1, children) << numbered("[CNPC%1]", 1, children);
    return t;
}

inline QStringList formCommon()
{
    QStringList t = {"[UAT]", "[Judet]", "[Localitatea]", "[Adresa]", "[NUME]", "[PRENUME]", "[CNP]", "[DATACERE]"};
    t << numbered("[S%1]", 1, 4) << numbered("[C%1]", 1, 6) << numbered("[P%1]", 1, 8);
    t << QStringList{"[TVENIT]", "[VENITM]", "[M1]", "[M2]", "[NumeT]", "[AI]", "[SU]", "[SL]", "[SG]", "[SE]",
                     "[ST]", "[FURNT]", "[FURNG]", "[FURNE]", "[CODCLT]", "[CODCLG]", "[CODCLE]", "[PODG]", "[PODE]",
                     "[Nr_Membri]", "[Nr_Copii]"};
    return t;
}

inline std::vector<RtfCase> rtfCases()
{
    std::vector<RtfCase> cases;
    // The electricity line of the granting decision carries its own box [SE].
    cases.push_back({"Stabilire", decisionCommon() + QStringList{"[Data01]", "[NrCerere]", "[DataCerere]",
                                                                  "[Suma]", "[Perioada]", "[CuAjut]", "[SL]", "[SumaL]",
                                                                  "[SG]", "[SumaG]", "[SE]", "[SumaE]", "[ST]", "[SumaT]"}});
    cases.push_back({"Modificare", decisionCommon() + QStringList{"[Data01]", "[NrCerere]", "[DataCerere]", "[SUMA]"}});
    const QStringList endOrRefuse = decisionCommon() + QStringList{"[Data]", "[NUME]",
                                                                     "[NRCERERE]", "[DATACERERE]", "[Motiv]"};
    cases.push_back({"Incetare", endOrRefuse + QStringList{"[Dlui]"}});
    cases.push_back({"Respingere", endOrRefuse + QStringList{"[domnul]"}});
    cases.push_back({"Referat", {"[JUDET]", "[domnul]", "[NUME]", "[NrREF]", "[DataRef]", "[NRCERERE]", "[DATACERERE]",
                                 "[Domiciliu]", "[SUMA]", "[TOTAL]", "[Intocmit]", "[Director]", "[TIPLOCGEN]", "[Localit]", "[SupL]",
                                 "[SupG]", "[SupT]", "[SupE]"}});
    cases.push_back({"Cerere", formCommon() + formMembers(4), true});
    cases.push_back({"Cerere10c", formCommon() + formMembers(10), true});
    cases.push_back({"CerereS", {"[UAT]", "[Judet]", "[Localitatea]", "[Adresa]", "[NUME]", "[PRENUME]", "[CNP]",
                                 "[DataCere]", "[TVENIT]", "[M1]", "[M2]", "[NumeT]", "[AI]", "[SU]", "[SL]", "[SG]",
                                 "[SE]", "[ST]", "[FURNT]", "[FURNG]", "[FURNE]", "[CODCLT]", "[CODCLG]", "[CODCLE]",
                                 "[PODG]", "[PODE]", "[NumeB]", "[PrenumeB]", "[CNPB]"}, true});
    QStringList inquiry = {"[UAT]", "[Judet]", "[Localitatea]", "[Adresa]", "[NUME]", "[PRENUME]", "[CNP]",
                           "[Nr_Cere]", "[DataAzi]", "[DataCere]", "[TITULAR]", "[TVENIT]", "[VENITM]", "[Nr_Membri]",
                           "[Nr_Copii]", "[NUMEP]", "[PRENUMEP]", "[CNPP]", "[VENITP]", "[INTOCMIT]"};
    inquiry << numbered("[NUMEA%1]", 1, 4) << numbered("[PRENUMEA%1]", 1, 4) << numbered("[CNPA%1]", 1, 4)
            << numbered("[VENITA%1]", 1, 4) << numbered("[NUMEC%1]", 1, 4) << numbered("[PRENUMEC%1]", 1, 4)
            << numbered("[CNPC%1]", 1, 4);
    cases.push_back({"Ancheta", inquiry, true});
    cases.push_back({"FisaV", {"[Nrc]", "[DataC]", "[DataF]", "[NumeS]", "[PrenumeS]", "[Operator]", "[NumeOp]",
                               "[PrenumeOp]", "[perioada]"}});
    cases.push_back({"TrezAnx3", {"[CODJUD]", "[DENUMJUD]", "[CODUNIT]", "[DENUMUNIT]", "[CODAJUTOR]",
                                  "[DenumireAjutor]", "[Primar]", "[NR1]", "[Suma1]", "[NR2]", "[Suma2]", "[NR]",
                                  "[SUMA]", "[DATA]"}});
    return cases;
}

// A cell that must hold a text (a marker inside it is enough); sheet and
// cell as the filling commands address them, 1-based.
struct PlacedText {
    int sheet;
    int row;
    int col;
    QString text;
};

struct SheetRow {
    int sheet;         // 1-based
    int row;           // 1-based; 0: wherever "#DBF" stands
    QStringList cells; // markers from column A on in order; "" for a cell the template fills itself
};

struct WorkbookCase {
    QString resource;
    QStringList sheets;
    QStringList markers;          // single markers somewhere in the workbook
    std::vector<SheetRow> dataRows;
    std::vector<PlacedText> placed;
};

inline std::vector<WorkbookCase> workbookCases()
{
    std::vector<WorkbookCase> cases;
    const QStringList statStart = {"%NRCRT", "#Titular", "#CNP", "#NRDISP", "#DATADISP", "#ADRESA"};
    cases.push_back({"Stat", {"Cumulat", "Ajutoare", "Suplim.Lemne"},
                     {"#Judet", "#Primaria", "#Luna", "#P1", "#PRIMAR", "#C1", "#C2", "#I1", "#I2"},
                     {{1, 0, statStart + QStringList{"#CUANTUM", "#NR_LUNI", "#TOTAL", "#SUMAL", "", "#DBF"}},
                      {2, 0, statStart + QStringList{"#CUANTUM", "#NR_LUNI", "#TOTAL", "", "#DBF"}},
                      {3, 0, statStart + QStringList{"#SUMAL", "", "#DBF"}}},
                     {}});
    cases.push_back({"StabilireU", {"Dispozitie", "Anexa 1", "Anexa 2"},
                     {"[JUDET]", "[Judet]", "[PRIMAR]", "[SECRETAR]", "[DispNr]", "[DispData]", "[Dispdata]",
                      "[TIPLOCGEN]", "[locgen]", "[Loc]", "[Perioada]", "[Anul]", "[Luna]", "[DataStart]", "[NrLuni]", "[NrCereri]",
                      "[FamiliiAprob]", "[FamiliiSup]", "[Intocmit]"},
                     {{2, 0, {"%NRCRT", "#TITULAR", "#CNP", "#ADRESA", "#NR_MEMBRI", "#CUANTUM", "#NR_LUNI", "", "#DBF"}},
                      {3, 0, {"%NRCRT", "#TITULAR", "#CNP", "#ADRESA", "#NR_MEMBRI", "#SUMAL", "#SUMAG", "#SUMAE",
                              "#SUMAT", "#DBF"}}},
                     {}});
    cases.push_back({"TrezAnx2", {"Anexa2"}, {"#JUDETUL", "#UAT", "[Situatia]", "[data]", "[NrPers]", "[Primar]"},
                     {{1, 0, {"%NRCRT", "#NUMEPREN", "#NRPERS", "#CNP", "#SUMA", "#DBF"}}}, {}});
    const QStringList annexMarkers = {"[JUDET]", "[LOCALIT]", "[LUNA]", "[ANUL]", "[PRIMAR]"};
    const QStringList listStart = {"%NRCRT", "#TITULAR", "#CNP", "#ADRESA"};
    cases.push_back({"Anexa14", {"Anexa 14"}, annexMarkers,
                     {{1, 10, listStart + QStringList{"#CODCLT", "#VENITM", "#SUMAT", "#NR_DISP", "#DBF"}}},
                     {{1, 13, 4, "[PRIMAR]"}}});
    for (const QString& k : {QStringLiteral("G"), QStringLiteral("E")}) {
        const QString nr = k == "G" ? "15" : "16";
        const QStringList tail = {"#CODCL" + k, "#POD" + k, "#NR_MEMBRI", "#VENITM", "#NR_DISP", "#SUMA" + k, "#DBF"};
        cases.push_back({"Anexa" + nr, {"Anexa " + nr, "Anexa" + nr + " cu Furnizor"}, annexMarkers,
                         {{1, 10, listStart + tail}, {2, 10, listStart + QStringList{"#FURN" + k} + tail}},
                         {{1, 13, 4, "[PRIMAR]"}, {2, 13, 4, "[PRIMAR]"}}});
    }
    cases.push_back({"Anexa17", {"Anexa 17"}, annexMarkers,
                     {{1, 10, listStart + QStringList{"#NR_DISP", "#NR_MEMBRI", "#VENITM", "#SUMAL", "#DBF"}}},
                     {{1, 13, 4, "[PRIMAR]"}}});
    const QStringList a13Row = {"%NRCRT", "#TITULAR", "#CNP", "#ADRESA", "#NR_DISP", "#NR_MEMBRI", "#VENITM", "",
                                "#CUANTUM"};
    const std::vector<PlacedText> a13Head = {{1, 2, 2, "[JUDET]"}, {1, 5, 2, "[CIF]"}, {1, 5, 4, "[UAT]"},
                                             {1, 17, 4, "[PRIMAR]"}};
    WorkbookCase ajpis{"AJPIS", {"5luni", "4luni", "3luni", "2luni", "1luna", "RapStat"},
                       {"[JUDET]", "[UAT]", "[CIF]", "[PRIMAR]", "[INTOCMIT]"}, {}, a13Head};
    for (int s = 1; s <= 5; ++s)
        ajpis.dataRows.push_back({s, 12, a13Row + QStringList{"", "#DBF"}});
    ajpis.placed.push_back({6, 76, 7, "[INTOCMIT]"});
    cases.push_back(ajpis);
    WorkbookCase a13{"Anexa13", {"Anexa13 Cumulata"}, {"[JUDET]", "[UAT]", "[CIF]", "[LUNA]", "[ANUL]", "[PRIMAR]"},
                     {{1, 12, a13Row + QStringList{"#TOTAL", "#DBF"}}}, a13Head};
    a13.placed.push_back({1, 9, 3, "[LUNA]"});
    a13.placed.push_back({1, 9, 5, "[ANUL]"});
    cases.push_back(a13);
    cases.push_back({"Anexa13BC", {"Anexa13Bacau"}, {"[JUDET]", "[UAT]", "[CIF]", "[LUNA]", "[ANUL]", "[PRIMAR]"},
                     {{1, 12, {"%NRCRT", "#TITULAR", "#CNP", "#ADRESA", "#NR_DISP", "#NR_MEMBRI", "#VENITM",
                               "#CUANTUM", "#DBF"}}},
                     {{1, 2, 2, "[JUDET]"}, {1, 4, 3, "[CIF]"}, {1, 4, 4, "[UAT]"}, {1, 9, 3, "[LUNA]"},
                      {1, 9, 5, "[ANUL]"}, {1, 17, 4, "[PRIMAR]"}}});
    cases.push_back({"Anexa22", {"Raport"}, {"[UAT]", "[INTOCMIT]"}, {}, {{1, 1, 2, "[UAT]"}, {1, 70, 12, "[INTOCMIT]"}}});
    cases.push_back({"Anexa23", {"Anexa 23"}, {"[UAT]", "[TIPS]", "[INTOCMIT]"}, {},
                     {{1, 1, 1, "[UAT]"}, {1, 4, 1, "[TIPS]"}, {1, 35, 5, "[INTOCMIT]"}}});
    cases.push_back({"Anexa24", {"Anexa 24"}, {"[UAT]", "[TIPS]", "[INTOCMIT]"}, {},
                     {{1, 1, 1, "[UAT]"}, {1, 4, 1, "[TIPS]"}, {1, 35, 5, "[INTOCMIT]"}}});
    cases.push_back({"Anexa25", {"Anexa 25"}, {"[JUDET]", "[LOCALIT]", "[LUNA]", "[FURNIZOR]"},
                     {{1, 12, {"%NRCRT", "#SUBSEMN", "#CNP", "#SUMAT", "#DBF"}}},
                     {{1, 2, 1, "[JUDET]"}, {1, 3, 1, "[LOCALIT]"}, {1, 5, 2, "[FURNIZOR]"}, {1, 9, 1, "[LUNA]"}}});
    cases.push_back({"CONTROL", {"CSL"}, {},
                     {{1, 7, {"%NRCRT", "#TITULAR", "#CNP", "#ADRESA", "#CODTIT", "#NR_MEMBRI", "#VENITM", "#NR_DISP",
                              "#CUANTUM", "", "#JUD", "#PRIMARIE", "#LUNA", "#AN", "#STCIV", "#SITSCOL", "#TVENIT",
                              "#NRCAM", "#DBF"}}},
                     {}});
    cases.push_back({"ListaPers", {"ListaPers"}, {},
                     {{1, 6, {"%NRCRT", "#TITULAR", "#CNP", "#VENIT", "#CALITATE", "", "", "#DBF"}}}, {}});
    cases.push_back({"SitMem", {"Situatia Membrilor"}, {},
                     {{1, 4, {"%NRCRT", "#NUMET", "#PRENUMET", "#CNPT", "#NUMEM", "#PRENUMEM", "#CNPM", "#LOC",
                              "#DBF"}}},
                     {}});
    WorkbookCase eon{"EONGaz", {"Excel Output"}, {}, {}, {}};
    const char* eonHeads[] = {"CRC", "Primarie", "Nr Dispozitie", "Ajutor Total", "Ajutor Stat", "Ajutor Local",
                              "Cod Abonat", "Nume Titular", "Prenume Titular", "Tip Client", "Nume Beneficiar",
                              "Prenume Beneficiar", "CNP Beneficiar", "Judet", "Cod Loc", "Localitate", "Cod Str",
                              "Strada", "Numar", "Supliment", "Bloc", "AP", "Punct Consum", "Instalatie",
                              "Numar Membri", "Venit Membru", "Luna Ajutor"};
    for (int c = 0; c < 27; ++c)
        eon.placed.push_back({1, 1, c + 1, QString::fromLatin1(eonHeads[c])});
    cases.push_back(eon);
    WorkbookCase cez{"CEZ", {"Sheet1"}, {}, {}, {}};
    const char* cezHeads[] = {"NRCRT FISIERE", "BENEFICIAR AJUTOR", "CNP BENEFICIAR", "LOCALITATE", "STRADA", "NUMAR",
                              "BLOC", "SCARA", "APARTAMENT", "COD CLIENT", "COD LOC CONSUM", "MEMBRI", "VENIT",
                              "NRDISP", "BUGET_STAT", "BUGET_LOCAL", "CIF UAT"};
    for (int c = 0; c < 17; ++c)
        cez.placed.push_back({1, 1, c + 1, QString::fromLatin1(cezHeads[c])});
    cases.push_back(cez);
    return cases;
}
