// Every entry of the translation sources is finished: a text added to the
// interface without its French and English translation fails here.
#include <QDir>
#include <QFile>
#include <QTest>
#include <QXmlStreamReader>

class TranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyEntryIsTranslated() {
    const QDir folder(QStringLiteral(CORVALINDE_TS_FOLDER));
    const QStringList files = folder.entryList({QStringLiteral("*.ts")}, QDir::Files);
    QCOMPARE(files, (QStringList{QStringLiteral("corvalinde_en.ts"), QStringLiteral("corvalinde_fr.ts")}));
    for (const QString& name : files) {
      QFile file(folder.filePath(name));
      QVERIFY(file.open(QIODevice::ReadOnly));
      QXmlStreamReader xml(&file);
      int messages = 0;
      QString source;
      while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QStringLiteral("source")) source = xml.readElementText();
        if (xml.name() != QStringLiteral("translation")) continue;
        ++messages;
        const QString type = xml.attributes().value(QStringLiteral("type")).toString();
        QVERIFY2(type.isEmpty(),
                 qPrintable(name + QStringLiteral(": ") + type + QStringLiteral(": ") + source));
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        QVERIFY2(!text.trimmed().isEmpty(), qPrintable(name + QStringLiteral(": empty: ") + source));
      }
      QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
      QVERIFY(messages > 50);
    }
  }
};

QTEST_MAIN(TranslationsTest)
#include "ui_translations_test.moc"
