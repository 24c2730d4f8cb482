#pragma once

// The car forms' fixture: the forms fixture plus the cars metadata (a small
// vocabulary with the categories, prices and makes the car forms work on),
// a cars marketplace and the "newCarQuery" answer.

#include "FormsFixture.h"

#include "net/XMetaData.h"

#include <QComboBox>
#include <QLineEdit>

namespace CarForms {

template<class T>
T *Child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// Chooses an item as a member does: typing into the box (an editable one's edit).
inline void Choose(QWidget *w, const char *name, const QString &text)
{
    QComboBox *box = Child<QComboBox>(w, name);
    if (box->isEditable()) {
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), text);
    } else {
        box->setFocus();
        QTest::keyClicks(box, text);
    }
}

} // namespace CarForms

struct CarFormsFixture : FormsFixture
{
    CarFormsFixture()
    {
        server.Script("newCarQuery",
                      Answer(0, "<car_query_id>CQ-31</car_query_id><create_time>2009-03-04 05:06:07</create_time>"));
        const QString data = theApp().GetDataFolder();
        QFile meta(data + "meta_car.xml");
        if (meta.open(QIODevice::WriteOnly))
            meta.write(MetaXml());
        meta.close();
        theMetaCars().init();
        QFile places(data + "mplaces.xml");
        if (places.open(QIODevice::WriteOnly | QIODevice::Truncate))
            places.write("<market_place_list version=\"1\">"
                         "<market_place default=\"1\" as_seller=\"1\" as_buyer=\"1\" subscribed=\"1\">"
                         "<market_id>MP-100</market_id><name>National Parts Exchange</name><type>parts</type>"
                         "</market_place>"
                         "<market_place default=\"1\" as_seller=\"1\" as_buyer=\"1\" subscribed=\"1\">"
                         "<market_id>MC-200</market_id><name>Car Exchange</name><type>cars</type>"
                         "</market_place>"
                         "</market_place_list>");
        places.close();
        theMarketPlaces().init();
        theProfile().Update([](ProfileData &p) { p.zip = QStringLiteral("10001"); });
    }

    static QByteArray MetaXml()
    {
        return "<kv_response><car_meta_info version=\"2\">"
               "<vehicle_info><make><value id=\"1\">Ford</value><value id=\"4\">Subaru</value>"
               "<value id=\"7\">Land Rover</value></make>"
               "<model><value id=\"10\" make_id=\"1\">Focus</value><value id=\"11\" make_id=\"1\">Sport</value>"
               "<value id=\"40\" make_id=\"4\">Outback</value><value id=\"41\" make_id=\"4\">Sport</value>"
               "<value id=\"70\" make_id=\"7\">Range Rover</value></model></vehicle_info>"
               "<body_style_info><value id=\"1\">Sedan</value><value id=\"2\">Wagon</value></body_style_info>"
               "<int_color_info><value id=\"1\">Black</value></int_color_info>"
               "<ext_color_info><value id=\"1\">Red</value><value id=\"2\">Blue</value></ext_color_info>"
               "<p_range_info><value id=\"1\">$5,000</value><value id=\"2\">$20,000</value>"
               "<value id=\"3\">$1,000,000</value><value id=\"4\">100,000+</value></p_range_info>"
               "<m_range_info><value id=\"1\">10,000</value><value id=\"2\">50,000</value>"
               "<value id=\"3\">100,000+</value></m_range_info>"
               "<distance_info><value id=\"1\">All</value><value id=\"2\">50</value><value id=\"3\">100</value>"
               "</distance_info>"
               "<damage_info><value id=\"1\">Hail</value><value id=\"2\">Flood</value></damage_info>"
               "<transmission_info><value id=\"1\">Manual</value><value id=\"2\">Automatic</value></transmission_info>"
               "<drive_train_info><value id=\"1\">AWD</value></drive_train_info>"
               "<eng_types_info><value id=\"1\">Boxer</value></eng_types_info>"
               "<eng_size_units_info><value id=\"1\">CC</value><value id=\"2\">LI</value></eng_size_units_info>"
               "<time_frame_info><value id=\"1\">Urgent</value><value id=\"2\">1 Week</value></time_frame_info>"
               "<category_info><value id=\"1\">Pre-Owned</value><value id=\"2\">New</value>"
               "<value id=\"3\">Salvage/Damaged</value><value id=\"4\">Repairable</value>"
               "<value id=\"5\">Classic</value></category_info>"
               "<condition_info><value id=\"1\">Good</value><value id=\"2\">Fair</value></condition_info>"
               "<doors_info><value id=\"1\">2</value><value id=\"2\">4</value></doors_info>"
               "<payment_method_info><value id=\"1\">Check</value><value id=\"2\">Cash</value></payment_method_info>"
               "<damage_title_info><value id=\"1\">Clean</value><value id=\"2\">Salvage</value></damage_title_info>"
               "<script>function RateCar(o) { return 2; }</script>"
               "</car_meta_info></kv_response>";
    }
};
