<?xml version="1.0" encoding="UTF-8"?>
<!-- The home page of each market: counters, the search form, the specialities
     and links into every page of the program. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/dashboard-parts | /dashboard-cars">
    <xsl:variable name="cars" select="boolean(self::dashboard-cars)"/>
    <!-- Bound here: inside the loops over tokens "/" is the tokens' own tree. -->
    <xsl:variable name="specialities" select="filter"/>
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Home'"/></xsl:call-template>
      <body>
        <script>
          // Set by the program: counter n shows count (and the second count when there is one), bold when flagged.
          function setCounter(n, count, second, flag) {
            var e = document.getElementById('counter' + n);
            if (!e) return;
            e.textContent = second > 0 ? '(' + count + '/' + second + ')' : '(' + count + ')';
            e.style.fontWeight = flag ? 'bold' : 'normal';
          }
          function changeFilter() { location.href = 'app:change_filter'; }
        </script>
        <h2>
          <xsl:choose>
            <xsl:when test="$cars">Cars</xsl:when>
            <xsl:otherwise>Parts</xsl:otherwise>
          </xsl:choose>
        </h2>

        <h3>Buy</h3>
        <div class="commands">
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'bg1'"/><xsl:with-param name="text" select="'Post a query'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'open_queries'"/><xsl:with-param name="text" select="'Open queries'"/><xsl:with-param name="counter" select="substring('1 17', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'pending_quotes'"/><xsl:with-param name="text" select="'Pending quotes'"/><xsl:with-param name="counter" select="substring('2 18', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:if test="not($cars)">
            <xsl:call-template name="link"><xsl:with-param name="cmd" select="'purchase_orders'"/><xsl:with-param name="text" select="'Purchase orders'"/><xsl:with-param name="counter" select="3"/></xsl:call-template>
            <xsl:call-template name="link"><xsl:with-param name="cmd" select="'confirmed_sales'"/><xsl:with-param name="text" select="'Confirmed purchases'"/><xsl:with-param name="counter" select="4"/></xsl:call-template>
          </xsl:if>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'buy_archive'"/><xsl:with-param name="text" select="'Archive'"/><xsl:with-param name="counter" select="substring('5 19', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'b_guide'"/><xsl:with-param name="text" select="'Buyer guide'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'b_help'"/><xsl:with-param name="text" select="'Help'"/></xsl:call-template>
        </div>

        <h3>Sell</h3>
        <div class="commands">
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'pending_queries'"/><xsl:with-param name="text" select="'Pending queries'"/><xsl:with-param name="counter" select="substring('6 20', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'replied_quotes'"/><xsl:with-param name="text" select="'Replied quotes'"/><xsl:with-param name="counter" select="substring('7 21', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:if test="not($cars)">
            <xsl:call-template name="link"><xsl:with-param name="cmd" select="'pending_orders'"/><xsl:with-param name="text" select="'Pending sales'"/><xsl:with-param name="counter" select="8"/></xsl:call-template>
            <xsl:call-template name="link"><xsl:with-param name="cmd" select="'completed_sales'"/><xsl:with-param name="text" select="'Completed sales'"/><xsl:with-param name="counter" select="9"/></xsl:call-template>
          </xsl:if>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'sell_archive'"/><xsl:with-param name="text" select="'Archive'"/><xsl:with-param name="counter" select="substring('1022', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'inventory'"/><xsl:with-param name="text" select="'Inventory'"/><xsl:with-param name="counter" select="substring('1123', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'add_inv'"/><xsl:with-param name="text" select="'Add to inventory'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'inv_import'"/><xsl:with-param name="text" select="'Import inventory'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'inv_export'"/><xsl:with-param name="text" select="'Export inventory'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'s_guide'"/><xsl:with-param name="text" select="'Seller guide'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'s_help'"/><xsl:with-param name="text" select="'Help'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'store_guide'"/><xsl:with-param name="text" select="'Online store guide'"/></xsl:call-template>
        </div>

        <h3>General</h3>
        <div class="commands">
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'messages'"/><xsl:with-param name="text" select="'Messages'"/><xsl:with-param name="counter" select="13"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'hotdeals'"/><xsl:with-param name="text" select="'Hot deals'"/><xsl:with-param name="counter" select="12"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'my_hotdeals'"/><xsl:with-param name="text" select="'My hot deals'"/><xsl:with-param name="counter" select="16"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'new_deal'"/><xsl:with-param name="text" select="'New hot deal'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'marketplaces'"/><xsl:with-param name="text" select="'Marketplaces'"/><xsl:with-param name="counter" select="substring('1424', 1 + 2 * $cars, 2)"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'member_lookup'"/><xsl:with-param name="text" select="'Member lookup'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'edit_profile'"/><xsl:with-param name="text" select="'My profile'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'subscription'"/><xsl:with-param name="text" select="'Subscription'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'affiliate'"/><xsl:with-param name="text" select="'Affiliate'"/><xsl:with-param name="counter" select="15"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'sponsors'"/><xsl:with-param name="text" select="'Sponsors'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'referafriend'"/><xsl:with-param name="text" select="'Refer a friend'"/></xsl:call-template>
          <xsl:if test="not($cars)">
            <xsl:call-template name="link"><xsl:with-param name="cmd" select="'online_shops'"/><xsl:with-param name="text" select="'Online shops'"/></xsl:call-template>
          </xsl:if>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'bg2'"/><xsl:with-param name="text" select="'Quotes'"/></xsl:call-template>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'bg3'"/><xsl:with-param name="text" select="'More'"/></xsl:call-template>
        </div>

        <h3>Search</h3>
        <form id="search" method="post" action="app:continue_query">
          <table class="fields">
            <xsl:if test="$cars">
              <xsl:call-template name="select"><xsl:with-param name="id" select="'category'"/><xsl:with-param name="items" select="filter/category/item"/></xsl:call-template>
            </xsl:if>
            <xsl:call-template name="select"><xsl:with-param name="id" select="'make'"/><xsl:with-param name="items" select="filter/makes/item"/></xsl:call-template>
            <tr><td class="label">Model</td><td><select id="model" name="model"><option value="">--Please Select Model --</option></select></td></tr>
            <xsl:choose>
              <xsl:when test="$cars">
                <xsl:call-template name="select"><xsl:with-param name="id" select="'year_from'"/><xsl:with-param name="items" select="filter/years_fr/item"/></xsl:call-template>
                <xsl:call-template name="select"><xsl:with-param name="id" select="'year_to'"/><xsl:with-param name="items" select="filter/years_to/item"/></xsl:call-template>
                <xsl:call-template name="select"><xsl:with-param name="id" select="'price_from'"/><xsl:with-param name="items" select="filter/price_fr/item"/></xsl:call-template>
                <xsl:call-template name="select"><xsl:with-param name="id" select="'price_to'"/><xsl:with-param name="items" select="filter/price_to/item"/></xsl:call-template>
              </xsl:when>
              <xsl:otherwise>
                <xsl:call-template name="select"><xsl:with-param name="id" select="'year'"/><xsl:with-param name="items" select="filter/years/item"/></xsl:call-template>
              </xsl:otherwise>
            </xsl:choose>
          </table>
          <input type="submit" value="Continue"/>
        </form>

        <h3>My Specialty</h3>
        <table class="fields">
          <xsl:choose>
            <xsl:when test="$cars">
              <xsl:for-each select="str:tokenize('vi_category vi_make vi_model years price location', ' ')">
                <xsl:call-template name="speciality"><xsl:with-param name="id" select="string(.)"/><xsl:with-param name="filter" select="$specialities"/></xsl:call-template>
              </xsl:for-each>
            </xsl:when>
            <xsl:otherwise>
              <xsl:for-each select="str:tokenize('originate_state vi_make vi_model pi_type pi_category years', ' ')">
                <xsl:call-template name="speciality"><xsl:with-param name="id" select="string(.)"/><xsl:with-param name="filter" select="$specialities"/></xsl:call-template>
              </xsl:for-each>
            </xsl:otherwise>
          </xsl:choose>
        </table>
        <div class="commands">
          <a class="command" href="app:change_filter">Change</a>
          <xsl:call-template name="link"><xsl:with-param name="cmd" select="'speciality'"/><xsl:with-param name="text" select="'My specialty'"/></xsl:call-template>
        </div>
      </body>
    </html>
  </xsl:template>

  <!-- A page link with its counter (filled by setCounter). -->
  <xsl:template name="link">
    <xsl:param name="cmd"/>
    <xsl:param name="text"/>
    <xsl:param name="counter" select="''"/>
    <a class="command" href="app:{$cmd}"><xsl:value-of select="$text"/></a>
    <xsl:if test="normalize-space($counter) != ''">
      <span class="counter" id="counter{normalize-space($counter)}"></span>
    </xsl:if>
    <xsl:text> </xsl:text>
  </xsl:template>

  <xsl:template name="select">
    <xsl:param name="id"/>
    <xsl:param name="items"/>
    <tr>
      <td class="label"><xsl:call-template name="label"><xsl:with-param name="name" select="$id"/></xsl:call-template></td>
      <td>
        <select id="{$id}" name="{$id}">
          <xsl:for-each select="$items">
            <option value="{@value}">
              <xsl:if test="@default = '1'"><xsl:attribute name="selected">selected</xsl:attribute></xsl:if>
              <xsl:value-of select="."/>
            </option>
          </xsl:for-each>
        </select>
      </td>
    </tr>
  </xsl:template>

  <!-- A speciality line: up to five values, then a link to change the filter. -->
  <xsl:template name="speciality">
    <xsl:param name="id"/>
    <xsl:param name="filter"/>
    <!-- The parts form's year list is also called "years": only leaf elements are lines. -->
    <xsl:variable name="items" select="$filter/*[local-name() = $id][not(*)]"/>
    <tr>
      <td class="label"><xsl:call-template name="label"><xsl:with-param name="name" select="$id"/></xsl:call-template></td>
      <td class="value" id="{$id}">
        <xsl:choose>
          <xsl:when test="not($items)">Any</xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$items[position() &lt;= 5]">
              <xsl:if test="position() &gt; 1">, </xsl:if>
              <xsl:value-of select="."/>
            </xsl:for-each>
            <xsl:if test="count($items) &gt; 5">, ...&#160;&#160;<a href="javascript:changeFilter();">more</a></xsl:if>
          </xsl:otherwise>
        </xsl:choose>
      </td>
    </tr>
  </xsl:template>
</xsl:stylesheet>
