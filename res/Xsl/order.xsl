<?xml version="1.0" encoding="UTF-8"?>
<!-- Purchase orders: the detail page, the printed order and receipt, the order
     update form's page and the new order form. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:str="http://exslt.org/strings" exclude-result-prefixes="str">
  <xsl:import href="common.xsl"/>
  <xsl:output method="html" encoding="UTF-8" indent="no"/>

  <xsl:template match="/order-details | /order-form-details">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Purchase Order'"/></xsl:call-template>
      <body>
        <h2>Purchase Order <xsl:value-of select="@id"/></h2>
        <xsl:if test="self::order-details">
          <div class="commands">
            <xsl:if test="@sendmessage = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'send-message'"/><xsl:with-param name="text" select="'Send a message'"/></xsl:call-template>
            </xsl:if>
            <xsl:if test="@messages = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'show-messages'"/><xsl:with-param name="text" select="'Messages'"/></xsl:call-template>
            </xsl:if>
            <xsl:if test="@get_billing_info = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'get-order-billing-info'"/><xsl:with-param name="text" select="'Get payment information'"/></xsl:call-template>
            </xsl:if>
            <xsl:if test="@quote = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'goto-order-quote'"/><xsl:with-param name="text" select="'Go to the quote'"/></xsl:call-template>
            </xsl:if>
            <xsl:if test="@incoming = '1'">
              <xsl:call-template name="command"><xsl:with-param name="name" select="'update-order'"/><xsl:with-param name="text" select="'Update the order'"/></xsl:call-template>
            </xsl:if>
            <xsl:call-template name="command"><xsl:with-param name="name" select="'print'"/><xsl:with-param name="text" select="'Print'"/></xsl:call-template>
          </div>
        </xsl:if>
        <xsl:call-template name="record-head"/>
        <xsl:call-template name="blocks"/>
        <xsl:call-template name="sections"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="/details-print | /details-print-rcp">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'Purchase Order'"/></xsl:call-template>
      <body>
        <h2>
          <xsl:choose>
            <xsl:when test="self::details-print-rcp">Receipt</xsl:when>
            <xsl:otherwise>Purchase Order</xsl:otherwise>
          </xsl:choose>
          <xsl:text> </xsl:text>
          <xsl:value-of select="@id"/>
        </h2>
        <xsl:call-template name="record-head"/>
        <xsl:call-template name="blocks"/>
        <xsl:call-template name="sections"/>
      </body>
    </html>
  </xsl:template>

  <!-- The new order form: the quote, the seller, and the member's payment,
       billing and shipping fields, posted to "submit-order". -->
  <xsl:template match="/new-order">
    <html>
      <xsl:call-template name="head"><xsl:with-param name="title" select="'New Purchase Order'"/></xsl:call-template>
      <body>
        <h2>New Purchase Order for Quote <xsl:value-of select="quote_info/@id"/></h2>
        <h3>Quote</h3>
        <table class="fields">
          <xsl:for-each select="quote_info/*[not(contains($internal-fields, concat(' ', local-name(), ' ')))]">
            <tr><td class="label"><xsl:call-template name="label"/></td><td class="value"><xsl:call-template name="value"/></td></tr>
          </xsl:for-each>
        </table>
        <h3>Seller</h3>
        <table class="fields">
          <xsl:for-each select="quote_contact/*[not(contains($internal-fields, concat(' ', local-name(), ' ')))]">
            <tr><td class="label"><xsl:call-template name="label"/></td><td class="value"><xsl:call-template name="value"/></td></tr>
          </xsl:for-each>
        </table>
        <form id="order" method="post" action="app:submit-order">
          <h3>Payment</h3>
          <input type="hidden" name="pay_method" value="{pay_method}"/>
          <div class="commands">
            <xsl:for-each select="str:tokenize('Credit Card|PayPal|Other', '|')">
              <xsl:variable name="params">
                <xsl:call-template name="param">
                  <xsl:with-param name="name" select="'pay_method'"/>
                  <xsl:with-param name="value" select="."/>
                  <xsl:with-param name="first" select="true()"/>
                </xsl:call-template>
              </xsl:variable>
              <a class="command" href="app:change-paymethod{$params}"><xsl:value-of select="."/></a>
            </xsl:for-each>
          </div>
          <table class="fields">
            <tr><td class="label">Payment method</td><td id="pay_method"><xsl:value-of select="pay_method"/></td></tr>
            <xsl:choose>
              <xsl:when test="pay_method = 'Credit Card'">
                <tr><td class="label">Card number</td><td><input type="text" name="cc_number" id="cc_number" autocomplete="off"/></td></tr>
                <tr><td class="label">Expires (month / year)</td>
                  <td><input type="text" name="cc_month" id="cc_month" size="3"/> / <input type="text" name="cc_year" id="cc_year" size="5"/></td></tr>
                <tr><td class="label">Verification number</td><td><input type="text" name="cc_v_number" id="cc_v_number" size="5" autocomplete="off"/></td></tr>
              </xsl:when>
              <xsl:otherwise>
                <tr><td class="label">Account</td><td><input type="text" name="pp_account" id="pp_account"/></td></tr>
              </xsl:otherwise>
            </xsl:choose>
          </table>
          <h3>Billing address</h3>
          <xsl:call-template name="address"><xsl:with-param name="prefix" select="'b_'"/><xsl:with-param name="data" select="b_contact"/></xsl:call-template>
          <h3>Shipping address</h3>
          <xsl:call-template name="address"><xsl:with-param name="prefix" select="'s_'"/><xsl:with-param name="data" select="shipping"/></xsl:call-template>
          <h3>Notes</h3>
          <textarea name="notes" id="notes" rows="3" cols="50"></textarea>
          <div class="commands">
            <input type="submit" value="Submit Order"/>
            <xsl:text> </xsl:text>
            <xsl:call-template name="command"><xsl:with-param name="name" select="'order-close'"/><xsl:with-param name="text" select="'Cancel'"/></xsl:call-template>
          </div>
        </form>
      </body>
    </html>
  </xsl:template>

  <!-- The eight address inputs, filled from the profile. -->
  <xsl:template name="address">
    <xsl:param name="prefix"/>
    <xsl:param name="data"/>
    <table class="fields">
      <xsl:for-each select="str:tokenize('name phone email street city state zip country', ' ')">
        <xsl:variable name="field" select="string(.)"/>
        <tr>
          <td class="label"><xsl:call-template name="label"><xsl:with-param name="name" select="$field"/></xsl:call-template></td>
          <td><input type="text" name="{concat($prefix, $field)}" id="{concat($prefix, $field)}" value="{$data/*[local-name() = $field]}"/></td>
        </tr>
      </xsl:for-each>
    </table>
  </xsl:template>
</xsl:stylesheet>
