<?xml version="1.0" encoding="UTF-8"?>
<!-- The detail page of a part or car query. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/details | /details-car | /details-car-det | /form-details | /form-details-cars">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Query Details'"/></xsl:call-template>
      <body>
        <h2>Query <xsl:value-of select="@id"/></h2>
        <xsl:call-template name="record-commands"/>
        <!-- A car query carries no "incoming" mark: the selling side shows only incoming ones.
             The quote forms show the page without its commands. A query already
             answered (status 2 and on) is not offered for quoting again. -->
        <xsl:choose>
          <xsl:when test="starts-with(name(/*), 'form-')"/>
          <xsl:when test="self::details">
            <xsl:if test="@sendquote = '1' and @incoming = '1' and not(status_code &gt;= 2)">
              <xsl:call-template name="quote-form"/>
            </xsl:if>
          </xsl:when>
          <xsl:when test="@sendquote = '1' and not(status_code &gt;= 2)">
            <div class="commands">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'send-quote'"/><xsl:with-param name="text" select="'Send a quote'"/></xsl:call-template>
            </div>
          </xsl:when>
        </xsl:choose>
        <xsl:call-template name="record-head"/>
        <xsl:call-template name="sections"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="/details-print | /details-print-car">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Query'"/></xsl:call-template>
      <body>
        <h2>Query <xsl:value-of select="@id"/></h2>
        <xsl:call-template name="record-head"/>
        <xsl:call-template name="sections"/>
      </body>
    </html>
  </xsl:template>

  <!-- The quick quote of an incoming part query; the values typed are kept by
       the program between pages (tradewick-quote-change, details-init, by
       the condition's place); the form posts the condition's text. -->
  <xsl:template name="quote-form">
    <form id="quote" method="post" action="app:tradewick-quote">
      <h3>Quick quote</h3>
      <table class="fields">
        <tr><td class="label">Price</td><td><input type="text" id="price" name="price" onchange="keepQuote()"/></td></tr>
        <tr><td class="label">Shipping</td><td><input type="text" id="shipping" name="shipping" onchange="keepQuote()"/></td></tr>
        <tr><td class="label">Condition</td>
          <td><select id="cond" name="part_type" onchange="keepQuote()">
            <xsl:for-each select="part-types/item">
              <option value="{.}"><xsl:value-of select="."/></option>
            </xsl:for-each>
          </select></td></tr>
        <tr><td class="label">Notes</td><td><textarea id="notes" name="notes" rows="3" cols="40" onchange="keepQuote()"></textarea></td></tr>
      </table>
      <div class="commands">
        <xsl:call-template name="command"><xsl:with-param name="name" select="'selectpartimage'"/><xsl:with-param name="text" select="'Picture...'"/></xsl:call-template>
        <input type="submit" value="Send quote"/>
        <xsl:text> </xsl:text>
        <xsl:call-template name="command"><xsl:with-param name="name" select="'send-quote'"/><xsl:with-param name="text" select="'Full quote form'"/></xsl:call-template>
      </div>
    </form>
    <script>
      window.addEventListener('load', function () { location.href = 'app:details-init'; });
      function keepQuote() {
        function v(id) { var e = document.getElementById(id); return e ? encodeURIComponent(e.value) : ''; }
        var c = document.getElementById('cond');
        location.href = 'app:tradewick-quote-change?price=' + v('price') + '&amp;shipping=' + v('shipping')
          + '&amp;notes=' + v('notes') + '&amp;part_type=' + (c ? c.selectedIndex : 0);
      }
    </script>
  </xsl:template>
</xsl:stylesheet>
