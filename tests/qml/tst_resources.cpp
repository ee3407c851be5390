// Every file the program's two resource roots promise is compiled in, under its path, and the
// control and page pictures have the sizes their roles need (9-patch borders, pose pictures).
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QSize>
#include <QtTest>

namespace {

const QString kPages = QStringLiteral(":/main/src/res/Tiltmate/");
const QString kControls = QStringLiteral(":/OrvCustomControl/src/res/OrvCustomControl/");

// The attitude view draws the models itself, so "three/" holds its code and models only.
const char* const kPageFiles[] = {
    "ControlCalibration.qml", "ControlChannelSelectionView.qml", "ControlChannelValueView.qml",
    "ControlCircleProgress.qml", "ControlDirectionSelectionView.qml", "ControlFirmUpgradeView.qml",
    "ControlHintBoard.qml", "ControlPIDX.qml", "ControlPIDY.qml", "ControlPIDZ.qml", "ControlPidSlider.qml",
    "ControlPidView.qml", "ControlSerialPortView.qml", "ControlUpgradeProcessBar.qml", "MainWindow.qml",
    "ResLanguages.qml", "WidgetConfiguration.qml", "WidgetFirmware.qml", "WidgetImuCalibration.qml",
    "WidgetMotorCalibration.qml", "WidgetRunningInfor.qml", "WidgetTunning.qml",
    "img/ImgBackground.png", "img/ImgCalibrationHor.png", "img/ImgCalibrationStewing.png",
    "img/ImgCalibrationVer.png", "img/ImgIcon.ico", "img/ImgInstrument0.png", "img/ImgInstrument1.png",
    "img/ImgInstrument2.png", "img/ImgMinimum.png", "img/ImgQuit.png", "img/ImgTitle.png",
    "three/Glcode.js", "three/ResCamera.obj", "three/ResCameraBack.obj", "three/ResCameraFront.obj",
    "three/ResCameraFront.png", "three/ResCameraMid.obj",
};

const char* const kControlFiles[] = {
    "ORVButton.qml", "ORVCheckBox.qml", "ORVComboBox.qml", "ORVConnectWindow.qml", "ORVFillRectangle.qml",
    "ORVGroupBox.qml", "ORVGroupBoxEx.qml", "ORVLabel.qml", "ORVMessageBox.qml", "ORVProgressBar.qml",
    "ORVRectangle.qml", "ORVScrollViewStyle.qml", "ORVSlider.qml", "ORVSliderBound.qml", "ORVSpinBox.qml",
    "ORVStyle.qml", "ORVTabView.qml", "ORVTableRectangle.qml", "ORVText.qml", "ORVTextField.qml",
    "ORVTitleBar.qml", "qmldir",
    "image/ImgQuit.png", "image/arrow-down.png", "image/arrow-left.png", "image/arrow-right.png",
    "image/arrow-up.png", "image/check.png", "image/editbox.png", "image/focusframe.png",
    "image/groupbox.png", "image/scrollbar-handle-horizontal.png", "image/scrollbar-handle-vertical.png",
    "image/spin-arrow-down.png", "image/spin-arrow-up.png", "image/tab.png", "image/tab_selected.png",
};

struct Picture {
    const char* path;
    int width;
    int height;
};

const Picture kControlPictures[] = {
    {"check.png", 48, 48}, {"editbox.png", 68, 30}, {"focusframe.png", 65, 30}, {"groupbox.png", 98, 38},
    {"tab_selected.png", 98, 36}, {"arrow-down.png", 10, 6}, {"arrow-up.png", 10, 6},
    {"arrow-left.png", 6, 10}, {"arrow-right.png", 6, 10}, {"spin-arrow-up.png", 7, 4},
    {"spin-arrow-down.png", 7, 4}, {"scrollbar-handle-horizontal.png", 66, 17},
    {"scrollbar-handle-vertical.png", 17, 66}, {"ImgQuit.png", 24, 24},
};

const Picture kPagePictures[] = {
    {"img/ImgCalibrationStewing.png", 104, 104}, {"img/ImgCalibrationHor.png", 104, 104},
    {"img/ImgCalibrationVer.png", 104, 104}, {"img/ImgQuit.png", 24, 24}, {"img/ImgMinimum.png", 24, 24},
    {"three/ResCameraFront.png", 256, 256},
};

QByteArray readResource(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ResourceTest : public QObject {
    Q_OBJECT

private slots:
    void everyListedFileIsCompiledIn()
    {
        QStringList missing;
        for (const char* name : kPageFiles) {
            if (!QFile::exists(kPages + QLatin1String(name)))
                missing << kPages + QLatin1String(name);
        }
        for (const char* name : kControlFiles) {
            if (!QFile::exists(kControls + QLatin1String(name)))
                missing << kControls + QLatin1String(name);
        }
        if (!QFile::exists(QStringLiteral(":/main/main.qml")))
            missing << QStringLiteral(":/main/main.qml");
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
    }

    void picturesHaveTheSizesOfTheirRoles()
    {
        for (const Picture& picture : kControlPictures) {
            const QString path = kControls + QStringLiteral("image/") + QLatin1String(picture.path);
            QCOMPARE(QImageReader(path).size(), QSize(picture.width, picture.height));
        }
        for (const Picture& picture : kPagePictures) {
            const QString path = kPages + QLatin1String(picture.path);
            QCOMPARE(QImageReader(path).size(), QSize(picture.width, picture.height));
        }
        // The static and the horizontal calibration show the same pose.
        QCOMPARE(readResource(kPages + QStringLiteral("img/ImgCalibrationStewing.png")),
                 readResource(kPages + QStringLiteral("img/ImgCalibrationHor.png")));
    }

    // The combined model is the three parts, each face pointing at vertices that exist.
    void combinedCameraModelHoldsTheThreeParts()
    {
        const QString combined = QString::fromUtf8(readResource(kPages + QStringLiteral("three/ResCamera.obj")));
        const QRegularExpression objectLine(QStringLiteral("^o (\\S+)$"), QRegularExpression::MultilineOption);
        QStringList objects;
        for (auto it = objectLine.globalMatch(combined); it.hasNext();)
            objects << it.next().captured(1);
        QCOMPARE(objects, (QStringList{QStringLiteral("ResCameraFront"), QStringLiteral("ResCameraMid"),
                                       QStringLiteral("ResCameraBack")}));

        int partVertices = 0;
        int partFaces = 0;
        for (const QString& part : objects) {
            const QString text = QString::fromUtf8(readResource(kPages + QStringLiteral("three/") + part + ".obj"));
            partVertices += text.count(QRegularExpression(QStringLiteral("^v "), QRegularExpression::MultilineOption));
            partFaces += text.count(QRegularExpression(QStringLiteral("^f "), QRegularExpression::MultilineOption));
        }
        const int vertices = combined.count(QRegularExpression(QStringLiteral("^v "), QRegularExpression::MultilineOption));
        QCOMPARE(vertices, partVertices);
        QCOMPARE(combined.count(QRegularExpression(QStringLiteral("^f "), QRegularExpression::MultilineOption)), partFaces);

        const QRegularExpression faceIndex(QStringLiteral("[ ](\\d+)/"));
        int highest = 0;
        for (auto it = faceIndex.globalMatch(combined); it.hasNext();)
            highest = qMax(highest, it.next().captured(1).toInt());
        QCOMPARE(highest, vertices);
    }
};

QTEST_GUILESS_MAIN(ResourceTest)
#include "tst_resources.moc"
