<?xml version="1.0" encoding="UTF-8"?>
<!-- Shared parts of the program's pages. Data is written only as text or as
     attribute values; links taken from data are kept only for http and https;
     command parameters are percent-encoded. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">

  <xsl:param name="xsl-path"/>

  <xsl:template name="head">
    <xsl:param name="title"/>
    <head>
      <meta charset="utf-8"/>
      <title><xsl:value-of select="$title"/></title>
      <style>
        body { font: 12px Tahoma, Arial, sans-serif; margin: 8px; color: #222; }
        h2 { font-size: 15px; margin: 4px 0 8px; }
        h3 { font-size: 13px; background: #dfe7f1; padding: 3px 6px; margin: 10px 0 4px; }
        table.fields td { padding: 2px 8px 2px 0; vertical-align: top; }
        table.fields td.label { color: #555; white-space: nowrap; }
        .commands a { margin-right: 12px; }
        .counter { font-weight: bold; }
        img.picture { border: 1px solid #999; margin: 4px; }
      </style>
    </head>
  </xsl:template>

  <!-- Codes the program keeps for itself: never a line of a page. -->
  <xsl:variable name="internal-fields"
                select="' status_code owner_id market_id referer_id context_id context_type recipient_id message_id application signature '"/>

  <!-- The member's words for the fields; "|name=Label|". -->
  <xsl:variable name="field-labels" select="concat(
    '|vi_make=Make|vi_model=Model|vi_category=Category|vi_year=Year|pi_type=Part condition|pi_category=Part category',
    '|year_from=From year|year_to=To year|price_from=From price|price_to=To price',
    '|originate_state=State|originating_state=State|years=Years|location=Location|qualification=Rating',
    '|type=Condition|name=Name|part_name=Part name|quantity=Quantity|box_quantity=Box quantity|max_price=Max. price',
    '|min_price=Min. price|number=Part number|stock_number=Stock #|other=Notes|notes=Notes|time_frame=Time frame',
    '|wheel_width=Wheel width|wheel_height=Wheel height|post_date=Date|create_time=Sent|update_time=Updated',
    '|live_time=Open for (days)|vin=VIN|engine_size=Engine size|engine_size_unit=Engine size unit',
    '|engine_size_units=Engine size unit|engine_type=Engine|body_style=Body style|fuel_delivery=Fuel delivery',
    '|drive_train=Drive train|ext_color=Exterior color|int_color=Interior color|exterior_color=Exterior color',
    '|interior_color=Interior color|submodel=Sub-model|from_year=From year|to_year=To year|min_mileage=Min. mileage',
    '|max_mileage=Max. mileage|actual_mileage=Actual mileage|asking_price=Asking price|acv=Actual cash value',
    '|max_distance=Within (miles)|trade_in=Trade-in|core=Core deposit|core_deposit=Core deposit',
    '|shipping_handling=Shipping and handling|total=Total|total_price=Total|buy_url=Buy online|picture_url=Picture',
    '|business_type=Business type|zip=ZIP|email=E-mail|website=Web site|b_name=Billing name|b_phone=Billing phone',
    '|b_email=Billing e-mail|b_street=Billing street|b_city=Billing city|b_state=Billing state|b_zip=Billing ZIP',
    '|b_country=Billing country|invoice_num=Invoice #|invoice_number=Invoice #|ship_date=Ship date',
    '|date_shipped=Ship date|track_num=Tracking #|track_number=Tracking #|order_status=Order status',
    '|payment_method=Payment method|payment_account=Payment account|query_id=Query #|quote_id=Quote #',
    '|car_query_id=Query #|car_quote_id=Quote #|order_id=Order #|deal_id=Hot deal #|id=ID|damage_title=Damage',
    '|damage_options=Damage details|options=Options|comment=Comment|comments=Comments|title=Title|',
    'cc_month=Card expires (month)|cc_year=Card expires (year)|cc_number=Card number|cc_v_number=Verification number|')"/>

  <!-- A field's label: the member's word for it, else its name in words ("wheel_size" reads "Wheel size"). -->
  <xsl:template name="label">
    <xsl:param name="name" select="local-name()"/>
    <xsl:variable name="known" select="substring-before(substring-after($field-labels, concat('|', $name, '=')), '|')"/>
    <xsl:choose>
      <xsl:when test="$known != ''"><xsl:value-of select="$known"/></xsl:when>
      <xsl:otherwise>
        <xsl:variable name="words" select="translate($name, '_-', '  ')"/>
        <xsl:value-of select="concat(translate(substring($words, 1, 1), 'abcdefghijklmnopqrstuvwxyz', 'ABCDEFGHIJKLMNOPQRSTUVWXYZ'), substring($words, 2))"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Every section of a detail document: its caption and its fields. -->
  <xsl:template name="sections">
    <xsl:for-each select="section">
      <h3 class="section"><xsl:value-of select="@caption"/></h3>
      <table class="fields">
        <xsl:for-each select="*/*[not(*)][not(contains($internal-fields, concat(' ', local-name(), ' ')))]">
          <tr>
            <td class="label"><xsl:call-template name="label"/></td>
            <td class="value"><xsl:call-template name="value"/></td>
          </tr>
        </xsl:for-each>
      </table>
      <xsl:apply-templates select="*/pictures"/>
    </xsl:for-each>
  </xsl:template>

  <!-- A field's text; web addresses become links only for http and https. -->
  <xsl:template name="value">
    <xsl:param name="text" select="string(.)"/>
    <xsl:choose>
      <xsl:when test="(local-name() = 'website' or local-name() = 'buy_url' or local-name() = 'picture_url')
                      and (starts-with(translate($text, 'HTPS', 'htps'), 'http://')
                           or starts-with(translate($text, 'HTPS', 'htps'), 'https://'))">
        <a href="{$text}"><xsl:value-of select="$text"/></a>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- One command link; params are already encoded ("&name=value" pairs). -->
  <xsl:template name="command">
    <xsl:param name="name"/>
    <xsl:param name="text"/>
    <xsl:param name="params" select="''"/>
    <a class="command" href="app:{$name}{$params}"><xsl:value-of select="$text"/></a>
  </xsl:template>

  <!-- "?name=value" with the value percent-encoded. -->
  <xsl:template name="param">
    <xsl:param name="name"/>
    <xsl:param name="value"/>
    <xsl:param name="first" select="false()"/>
    <xsl:choose>
      <xsl:when test="$first">?</xsl:when>
      <xsl:otherwise>&amp;</xsl:otherwise>
    </xsl:choose>
    <xsl:value-of select="concat($name, '=', str:encode-uri(string($value), true()))"/>
  </xsl:template>

  <!-- A local picture of the data folder through the program's own scheme. -->
  <xsl:template name="local-picture">
    <xsl:param name="path"/>
    <xsl:value-of select="concat('korvant://data', str:encode-uri(translate($path, '\', '/'), false()))"/>
  </xsl:template>

  <xsl:template match="pictures">
    <div class="pictures">
      <xsl:for-each select="picture[@small]">
        <xsl:variable name="params">
          <xsl:call-template name="param">
            <xsl:with-param name="name" select="'url'"/>
            <xsl:with-param name="value" select="@big"/>
            <xsl:with-param name="first" select="true()"/>
          </xsl:call-template>
          <xsl:call-template name="param">
            <xsl:with-param name="name" select="'quote_id'"/>
            <xsl:with-param name="value" select="/*/@id"/>
          </xsl:call-template>
          <xsl:call-template name="param">
            <xsl:with-param name="name" select="'pic_id'"/>
            <xsl:with-param name="value" select="@id"/>
          </xsl:call-template>
        </xsl:variable>
        <a class="picture-link" href="app:{$picture-command}{$params}">
          <img class="picture">
            <xsl:attribute name="src">
              <xsl:call-template name="local-picture"><xsl:with-param name="path" select="@small"/></xsl:call-template>
            </xsl:attribute>
            <xsl:attribute name="alt"><xsl:value-of select="@title"/></xsl:attribute>
          </img>
        </a>
        <div class="picture-title"><xsl:value-of select="@title"/></div>
      </xsl:for-each>
    </div>
  </xsl:template>

  <!-- Which command a picture opens: the part or the car picture viewer. -->
  <xsl:variable name="picture-command">
    <xsl:choose>
      <xsl:when test="contains(local-name(/*), 'car')">show-picture</xsl:when>
      <xsl:otherwise>show-partpicture</xsl:otherwise>
    </xsl:choose>
  </xsl:variable>

  <!-- The links the record's flags allow. -->
  <xsl:template name="record-commands">
    <div class="commands">
      <xsl:if test="/*/@sendmessage = '1'">
        <xsl:call-template name="command"><xsl:with-param name="name" select="'send-message'"/><xsl:with-param name="text" select="'Send a message'"/></xsl:call-template>
      </xsl:if>
      <xsl:if test="/*/@messages = '1'">
        <xsl:call-template name="command"><xsl:with-param name="name" select="'show-messages'"/><xsl:with-param name="text" select="'Messages'"/></xsl:call-template>
      </xsl:if>
      <xsl:if test="/*/@profile = '1'">
        <xsl:call-template name="command"><xsl:with-param name="name" select="'extended-profile'"/><xsl:with-param name="text" select="'Extended profile'"/></xsl:call-template>
      </xsl:if>
      <xsl:if test="/*/@getcontact = '1'">
        <xsl:call-template name="command"><xsl:with-param name="name" select="'get-contact'"/><xsl:with-param name="text" select="'Get contact information'"/></xsl:call-template>
      </xsl:if>
      <xsl:if test="/*/@orders = '1'">
        <xsl:call-template name="command"><xsl:with-param name="name" select="'show-orders'"/><xsl:with-param name="text" select="'Purchase order'"/></xsl:call-template>
      </xsl:if>
      <xsl:call-template name="command"><xsl:with-param name="name" select="'print'"/><xsl:with-param name="text" select="'Print'"/></xsl:call-template>
    </div>
  </xsl:template>

  <!-- The record's head: status, dates, marketplace, comments. -->
  <xsl:template name="record-head">
    <table class="fields head">
      <xsl:for-each select="/*/*[not(*) and not(self::item)][not(contains($internal-fields, concat(' ', local-name(), ' ')))]">
        <tr>
          <td class="label"><xsl:call-template name="label"/></td>
          <td class="value"><xsl:value-of select="."/></td>
        </tr>
      </xsl:for-each>
    </table>
  </xsl:template>

  <!-- Blocks of leaf fields (and message lists) under the root, outside the sections. -->
  <xsl:template name="blocks">
    <xsl:for-each select="/*/*[* and not(self::section) and not(self::part-types) and not(self::pictures)]">
      <h3 class="block"><xsl:call-template name="label"/></h3>
      <table class="fields">
        <xsl:for-each select="*[not(*)][not(contains($internal-fields, concat(' ', local-name(), ' ')))]">
          <tr>
            <td class="label"><xsl:call-template name="label"/></td>
            <td class="value"><xsl:call-template name="value"/></td>
          </tr>
        </xsl:for-each>
      </table>
      <xsl:apply-templates select="message"/>
    </xsl:for-each>
  </xsl:template>

  <xsl:template match="message">
    <div class="message">
      <div class="message-head">
        <b><xsl:value-of select="sender-name"/></b>
        <xsl:text> </xsl:text>
        <xsl:value-of select="post-date"/>
      </div>
      <pre class="message-body"><xsl:value-of select="message-body"/></pre>
    </div>
  </xsl:template>

</xsl:stylesheet>
